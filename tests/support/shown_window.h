// The window as the user first sees it, for GUI tests: built, shown centred and active, its
// browser loading the start page. Controls are looked up by their names, as a user or an
// accessibility tool finds them.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QString>
#include <QTest>
#include <QWidget>
#include <chrono>
#include <memory>

#include "shell/html_viewer.h"
#include "shell/main_window.h"

namespace veltrano::test {

// Long enough for a page load on a busy machine; waits end as soon as their condition holds.
inline constexpr std::chrono::milliseconds kGuiTimeout{20000};

class ShownWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    start_page_loaded_ =
        std::make_unique<QSignalSpy>(&window_.Browser(), &QWebEngineView::loadFinished);
    window_.ShowCentred();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
  }

  // Waits until the start page has loaded; true when it loaded without error.
  bool WaitForStartPage() {
    return QTest::qWaitFor([&] { return !start_page_loaded_->isEmpty(); }, kGuiTimeout.count()) &&
           start_page_loaded_->first().first().toBool();
  }

  // The window's control named `name`, or nullptr.
  QWidget* Control(const char* name) {
    return window_.findChild<QWidget*>(QString::fromUtf8(name), Qt::FindDirectChildrenOnly);
  }

  // The name of the control that holds the keyboard focus (the browser's inner widget counts as
  // the browser), or an empty string.
  QString FocusedControlName() {
    for (QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget()) {
      if (w->parentWidget() == &window_) return w->objectName();
    }
    return {};
  }

  // Gives the focus to the control named `name` and waits until it has it.
  bool FocusControl(const char* name) {
    QWidget* control = Control(name);
    if (control == nullptr) return false;
    control->setFocus(Qt::OtherFocusReason);
    return QTest::qWaitFor([&] { return FocusedControlName() == QString::fromUtf8(name); },
                           kGuiTimeout.count());
  }

  // Presses and releases `key` as the keyboard would: through the window, to the focused control.
  void PressKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window_.windowHandle(), key, modifiers);
  }

  // Types `text` into `target` one key press per character, as a keyboard or input method
  // would; unlike QTest::keyClicks this carries characters beyond Latin-1 too.
  static void TypeText(QWidget* target, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
      const qsizetype length = text.at(i).isHighSurrogate() ? 2 : 1;
      QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, text.mid(i, length),
                          Qt::NoModifier);
      i += length - 1;
    }
  }

  MainWindow window_;

 private:
  std::unique_ptr<QSignalSpy> start_page_loaded_;
};

}  // namespace veltrano::test
