// The tool's one window and its nine controls.
//
// The browser 超文本浏览框1 fills the top; below it the page-address box 编辑框1, the keyword box
// 编辑框3 with its Search button 按钮2 (搜索), the usage hint, the Convert button 按钮1 (转换) and
// the result box 编辑框2 (真实下载地址). A click on a button runs one action from start to end;
// the actions reach the boxes and the browser only through the control access
// (shell/control_access.h), and the Convert action calls the link extraction, which knows nothing
// of the window.
//
// The controls sit at fixed places in the client area and keep them when the window is resized.
// Esc closes the window from any control that does not use the key itself; Enter does nothing.
// How the caption bar looks while the window is inactive is the window manager's affair on Linux.
#pragma once

#include <QString>
#include <QWidget>

#include "shell/controls.h"

class QKeyEvent;
class QMoveEvent;

namespace veltrano {

class HtmlViewer;

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // The window's outer size, its frame included where the window manager draws one.
  static constexpr QSize kOuterSize{1006, 695};
  // The address the browser opens at start: the start page built into the program.
  static constexpr const char* kStartAddress = "qrc:/veltrano/start.html";

  // Builds the window hidden, then its controls in a fixed order; the browser starts loading the
  // start page at once.
  MainWindow();

  // Shows the window centred on its screen with the focus on the Convert button.
  void ShowCentred();

  Button& ConvertButton() { return *convert_button_; }  // 按钮1
  EditBox& PageAddressBox() { return *page_address_; }  // 编辑框1
  EditBox& ResultBox() { return *result_; }             // 编辑框2
  HtmlViewer& Browser() { return *browser_; }           // 超文本浏览框1
  EditBox& KeywordBox() { return *keyword_; }           // 编辑框3
  Button& SearchButton() { return *search_button_; }    // 按钮2

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  QPoint CentredPosition() const;

  Button* convert_button_;
  EditBox* page_address_;
  EditBox* result_;
  HtmlViewer* browser_;
  EditBox* keyword_;
  Button* search_button_;
  // Whether the outer size has been fitted to a window-manager frame.
  bool frame_fitted_ = false;
};

}  // namespace veltrano
