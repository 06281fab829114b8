#include "shell/html_viewer.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWebEngineContextMenuRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <algorithm>
#include <array>
#include <utility>

#include "shell/text_conversion.h"

namespace veltrano {
namespace {

// Zoom factors for the text sizes 0 to 4.
constexpr std::array<qreal, 5> kZoomForTextSize = {0.6, 0.8, 1.0, 1.2, 1.4};

constexpr const char* kBlankPage = "about:blank";
constexpr const char* kAddressCaption = "地址(URL)：";
constexpr const char* kCloseCaption = "确定";
constexpr int kAddressFieldWidth = 480;

QString FromUtf8(const char* text) { return QString::fromUtf8(text); }

// A small dialog showing `address` selected in a read-only field, so Ctrl+C copies it at once.
void ShowAddressProperties(QWidget* parent, const QUrl& address) {
  auto* dialog = new QDialog(parent);
  dialog->setObjectName(FromUtf8(HtmlViewer::kPropertiesCaption));
  dialog->setWindowTitle(FromUtf8(HtmlViewer::kPropertiesCaption));
  dialog->setAttribute(Qt::WA_DeleteOnClose);

  auto* field = new QLineEdit(QString::fromLatin1(address.toEncoded()), dialog);
  field->setReadOnly(true);
  field->setMinimumWidth(kAddressFieldWidth);
  auto* close = new QPushButton(FromUtf8(kCloseCaption), dialog);
  close->setDefault(true);
  QObject::connect(close, &QPushButton::clicked, dialog, &QDialog::accept);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(dialog);
  layout->addWidget(new QLabel(FromUtf8(kAddressCaption), dialog));
  layout->addWidget(field);
  layout->addLayout(buttons);

  dialog->open();
  field->selectAll();
  field->setFocus();
}

}  // namespace

// The page puts every navigation request through the viewer's about-to-navigate hook.
class HtmlViewer::Page : public QWebEnginePage {
 public:
  explicit Page(HtmlViewer& viewer) : QWebEnginePage(&viewer), viewer_(viewer) {}

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType /*type*/,
                               bool /*isMainFrame*/) override {
    return viewer_.AllowNavigation(url);
  }

 private:
  HtmlViewer& viewer_;
};

HtmlViewer::HtmlViewer(const QString& name, const HtmlViewerSettings& settings, QWidget* parent)
    : QWebEngineView(parent), settings_(settings) {
  setObjectName(name);
  auto* page = new Page(*this);
  setPage(page);

  const auto size_index = static_cast<std::size_t>(
      std::clamp(settings_.text_size, 0, static_cast<int>(kZoomForTextSize.size()) - 1));
  page->setZoomFactor(kZoomForTextSize[size_index]);

  QWebEngineSettings* engine = page->settings();
  // Scripts may open windows only from a click of the user: pop-up advertising stays closed.
  engine->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  // The window decides where the keyboard focus is; a page load must not take it.
  engine->setAttribute(QWebEngineSettings::FocusOnNavigationEnabled, false);

  // Unless handled, QWebEngine drops every request for a new window, target="_blank" links
  // included. Those the user asked for open here; script pop-ups that slipped through stay shut.
  connect(page, &QWebEnginePage::newWindowRequested, this,
          [this](QWebEngineNewWindowRequest& request) {
            if (request.isUserInitiated()) Navigate(request.requestedUrl());
          });

  if (!settings_.start_address.empty()) SetBrowserAddress(*this, settings_.start_address);
}

void HtmlViewer::SetAboutToNavigateHandler(AboutToNavigateHandler handler) {
  about_to_navigate_ = std::move(handler);
}

Text HtmlViewer::Address() const { return UrlToText(navigation_target_.value_or(url())); }

bool HtmlViewer::AllowNavigation(const QUrl& target) {
  if (!about_to_navigate_) return true;
  // A copy, so a handler that replaces itself or navigates again runs to its end safely.
  const AboutToNavigateHandler handler = about_to_navigate_;
  const std::optional<QUrl> outer = std::exchange(navigation_target_, target);
  const std::optional<bool> answer = handler();
  navigation_target_ = outer;
  return answer.value_or(true);
}

void HtmlViewer::Navigate(const QUrl& target) {
  const QUrl blank(QString::fromLatin1(kBlankPage));
  const QUrl address = target.isEmpty() ? blank : target;
  // QWebEngine shows the blank page without a navigation request, so acceptNavigationRequest
  // never sees it; the about-to-navigate hook is asked here instead.
  if (address == blank && !AllowNavigation(address)) return;
  load(address);
}

void HtmlViewer::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  const QWebEngineContextMenuRequest* request = lastContextMenuRequest();
  const QUrl link = request != nullptr ? request->linkUrl() : QUrl();
  const QUrl address = link.isEmpty() ? url() : link;
  menu->addSeparator();
  QAction* properties = menu->addAction(FromUtf8(kPropertiesCaption));
  connect(properties, &QAction::triggered, this,
          [this, address] { ShowAddressProperties(this, address); });
  menu->popup(event->globalPos());
}

void SetBrowserAddress(HtmlViewer& viewer, const Text& address) {
  viewer.Navigate(TextToUrl(address));
}

}  // namespace veltrano
