#include "shell/startup.h"

#include <unistd.h>

#include <QByteArray>
#include <QtGlobal>

namespace veltrano {

void DisableWebEngineSandboxForRoot() {
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", QByteArrayLiteral("1"));
}

}  // namespace veltrano
