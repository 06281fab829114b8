// What the process must settle before the QApplication exists.
#pragma once

namespace veltrano {

// Chromium's sandbox cannot start for the root user, so QWebEngine would refuse to show pages.
// For root only this turns the sandbox off (QTWEBENGINE_DISABLE_SANDBOX=1); an ordinary user keeps
// it. Call before the QApplication is created.
void DisableWebEngineSandboxForRoot();

}  // namespace veltrano
