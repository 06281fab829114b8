#include "shell/main_window.h"

#include <QIcon>
#include <QKeyEvent>
#include <QMoveEvent>
#include <QPalette>
#include <QScreen>
#include <optional>

#include "shell/actions.h"
#include "shell/html_viewer.h"

namespace veltrano {
namespace {

using namespace Qt::StringLiterals;

// The product name, an ideographic space, and the credit line: who makes the tool and where to
// reach them.
const QString kCaption = u"Veltrano\u3000Veltrano 开发组 · https://veltrano.invalid/"_s;

constexpr const char* kIconSizes[] = {"16", "32", "48"};

template <typename Control>
Control* Place(Control* control, const QRect& geometry) {
  control->setGeometry(geometry);
  return control;
}

// The window's handler for the browser's about-to-navigate event: it answers nothing, so every
// navigation goes ahead.
std::optional<bool> LetNavigationProceed() { return std::nullopt; }

}  // namespace

MainWindow::MainWindow() {
  setWindowTitle(kCaption);
  // Minimise and close, no maximise; the frame stays resizable.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  QIcon icon;
  for (const char* size : kIconSizes) {
    icon.addFile(u":/veltrano/icon-%1.png"_s.arg(QLatin1StringView(size)));
  }
  setWindowIcon(icon);
  // The button-face colour as background; the labels inherit it and paint it too.
  QPalette colours = palette();
  colours.setColor(QPalette::Window, colours.color(QPalette::Button));
  setPalette(colours);
  setAutoFillBackground(true);
  resize(kOuterSize);

  // Creation order is the tab order of the focusable controls.
  convert_button_ = Place(new Button(u"按钮1"_s, u"转换"_s, this), {927, 601, 64, 24});
  page_address_ = Place(new EditBox(u"编辑框1"_s, this), {96, 569, 896, 24});
  result_ = Place(new EditBox(u"编辑框2"_s, this), {96, 633, 896, 24});
  browser_ = Place(
      new HtmlViewer(
          u"超文本浏览框1"_s,
          {.text_size = 2, .offline = false, .silent = false, .start_address = Text(kStartAddress)},
          this),
      {0, 8, 1000, 550});
  keyword_ = Place(new EditBox(u"编辑框3"_s, this), {8, 601, 432, 24});
  search_button_ = Place(new Button(u"按钮2"_s, u"搜索"_s, this), {447, 601, 64, 24});
  Place(new Label(u"标签1"_s, u"输入页面地址："_s, this), {8, 569, 80, 24});
  Place(new Label(u"标签2"_s,
                  u"右键－>属性 复制需要下载的URL到“输入页面地址”栏后点击转换按钮。\r\n"_s, this),
        {519, 601, 400, 24});
  Place(new Label(u"标签3"_s, u"真实下载地址："_s, this), {8, 633, 80, 24});

  browser_->SetAboutToNavigateHandler(LetNavigationProceed);
  connect(convert_button_, &QPushButton::clicked, this, [this] { ConvertPageAddress(*this); });
  connect(search_button_, &QPushButton::clicked, this, [this] { SearchKeyword(*this); });
}

void MainWindow::ShowCentred() {
  move(CentredPosition());
  convert_button_->setFocus();
  show();
  activateWindow();
}

QPoint MainWindow::CentredPosition() const {
  const QRect area = screen()->geometry();
  return area.topLeft() +
         QPoint((area.width() - kOuterSize.width()) / 2, (area.height() - kOuterSize.height()) / 2);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  // Keys reach the window only when the focused control did not use them.
  if (event->key() == Qt::Key_Escape) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

void MainWindow::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  // A window manager's frame is known only once the manager has framed the shown window, which
  // moves the client area. From then on the frame counts in the outer size, once.
  const QSize frame = frameGeometry().size() - size();
  if (frame_fitted_ || !isVisible() || frame.isNull()) return;
  frame_fitted_ = true;
  resize(kOuterSize - frame);
  move(CentredPosition());
}

}  // namespace veltrano
