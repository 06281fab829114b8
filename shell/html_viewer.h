// HtmlViewer: the embedded browser, a QWebEngineView with the settings and the about-to-navigate
// hook the window relies on.
//
// - Every navigation (typed, link, redirect, form, frame) first asks the about-to-navigate
//   handler; while it runs, Address() gives the navigation's target.
// - A link the user clicks that asks for a new window opens in this view; a new window that a
//   script opens without a click of the user is blocked. Links with schemes the view cannot show
//   go to the desktop's handler when clicked, as QWebEngine does by default.
// - The context menu keeps QWebEngine's standard entries and adds "属性" (Properties): a small
//   dialog with the address of the link under the pointer, or of the page, ready to copy.
#pragma once

#include <QString>
#include <QUrl>
#include <QWebEngineView>
#include <functional>
#include <optional>

#include "shell/control_access.h"
#include "text/text.h"

namespace veltrano {

struct HtmlViewerSettings {
  // 0 (最小, smallest) to 4 (最大, largest); 2 (中等, medium) shows pages at 100 %.
  int text_size = 2;
  // Kept as settings: the view always loads from the network, and shows a page's own JavaScript
  // dialogs (alert, confirm, prompt) as QWebEngine does.
  bool offline = false;
  bool silent = false;
  // Navigated to when the viewer is created, unless empty.
  Text start_address;
};

class HtmlViewer : public QWebEngineView {
  Q_OBJECT

 public:
  // The handler's answer: false vetoes the navigation; true or no value lets it go ahead.
  using AboutToNavigateHandler = std::function<std::optional<bool>()>;

  // The title of the properties dialog and of its context menu entry; the dialog's objectName.
  static constexpr const char* kPropertiesCaption = "属性";

  // Applies the settings and starts navigating to the start address, if any.
  HtmlViewer(const QString& name, const HtmlViewerSettings& settings, QWidget* parent);

  const HtmlViewerSettings& ViewerSettings() const { return settings_; }

  // Replaces the handler; an empty one lets every navigation go ahead.
  void SetAboutToNavigateHandler(AboutToNavigateHandler handler);

  // During the about-to-navigate handler the target of the navigation being decided, otherwise
  // the address of the page shown (or being loaded), fully encoded.
  Text Address() const;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  class Page;
  friend void SetBrowserAddress(HtmlViewer& viewer, const Text& address);

  bool AllowNavigation(const QUrl& target);
  void Navigate(const QUrl& target);

  HtmlViewerSettings settings_;
  AboutToNavigateHandler about_to_navigate_;
  // Set only while the about-to-navigate handler runs.
  std::optional<QUrl> navigation_target_;
};

}  // namespace veltrano
