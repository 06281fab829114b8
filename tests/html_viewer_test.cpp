// The embedded browser: its start page and settings, the about-to-navigate hook, new windows and
// the "属性" entry of its context menu. Pages come from a server on 127.0.0.1 that the test
// starts.
#include "shell/html_viewer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <optional>
#include <string>
#include <vector>

#include "shell/control_access.h"
#include "tests/support/http_server.h"
#include "tests/support/shown_window.h"
#include "tests/support/text_printer.h"

namespace veltrano {
namespace {

using test::kGuiTimeout;

test::Reply HtmlPage(std::string_view body) {
  return test::Reply::Close(
      test::HttpResponse("200 OK", body, "Content-Type: text/html; charset=utf-8\r\n"));
}

// A page that titles itself "ready" once it has been drawn twice: from then on the view hit-tests
// clicks against its layout. Clicks sent earlier may be dropped.
test::Reply ClickablePage(const std::string& body) {
  return HtmlPage(body +
                  "<script>requestAnimationFrame(() => requestAnimationFrame(() => "
                  "document.title = 'ready'));</script>");
}

// The request targets ("/path?query") of the raw request heads the server received.
std::vector<std::string> RequestTargets(const test::HttpServer& server) {
  std::vector<std::string> targets;
  for (const std::string& head : server.Requests()) {
    const std::size_t start = head.find(' ') + 1;
    targets.push_back(head.substr(start, head.find(' ', start) - start));
  }
  return targets;
}

class HtmlViewerTest : public test::ShownWindowTest {
 protected:
  void SetUp() override {
    ShownWindowTest::SetUp();
    ASSERT_TRUE(WaitForStartPage());
  }

  HtmlViewer& Viewer() { return window_.Browser(); }

  // Sends the browser to `url` and waits until that page has loaded.
  void Load(const std::string& url) {
    QSignalSpy loaded(&Viewer(), &QWebEngineView::loadFinished);
    SetBrowserAddress(Viewer(), Text(url));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !loaded.isEmpty() && Viewer().url() == QUrl(QString::fromStdString(url)); },
        kGuiTimeout.count()))
        << url;
    ASSERT_TRUE(loaded.last().first().toBool()) << url;
  }

  // Loads a ClickablePage and waits until it takes clicks.
  void LoadClickable(const std::string& url) {
    Load(url);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Viewer().title() == QStringLiteral("ready"); },
                                kGuiTimeout.count()));
  }

  // Clicks `button` at `point` of the view, after moving the pointer there as a user would.
  void Click(Qt::MouseButton button, const QPoint& point) {
    QTest::mouseMove(Viewer().focusProxy(), point);
    QTest::mouseClick(Viewer().focusProxy(), button, Qt::NoModifier, point);
  }

  // Records the address the browser reports during each about-to-navigate event and answers
  // `answer_for(address)`.
  void WatchNavigations(std::function<std::optional<bool>(const std::string&)> answer_for) {
    Viewer().SetAboutToNavigateHandler([this, answer_for]() -> std::optional<bool> {
      const std::string target(Viewer().Address().bytes());
      asked_.push_back(target);
      return answer_for(target);
    });
  }

  test::HttpServer server_;
  std::vector<std::string> asked_;
};

TEST_F(HtmlViewerTest, StartsWithItsSettingsOnTheStartPage) {
  const HtmlViewerSettings& settings = Viewer().ViewerSettings();
  EXPECT_EQ(settings.text_size, 2);
  EXPECT_DOUBLE_EQ(Viewer().zoomFactor(), 1.0);
  EXPECT_FALSE(settings.offline);
  EXPECT_FALSE(settings.silent);
  EXPECT_FALSE(Viewer().settings()->testAttribute(QWebEngineSettings::JavascriptCanOpenWindows));

  // The start page says what the tool does and how to use it.
  EXPECT_EQ(Viewer().url(), QUrl(QString::fromLatin1(MainWindow::kStartAddress)));
  QString text;
  Viewer().page()->toPlainText([&](const QString& plain) { text = plain; });
  ASSERT_TRUE(QTest::qWaitFor([&] { return !text.isEmpty(); }, kGuiTimeout.count()));
  for (const char* words : {"转换", "属性", "输入页面地址", "真实下载地址", "搜索"}) {
    EXPECT_TRUE(text.contains(QString::fromUtf8(words))) << words;
  }
}

TEST_F(HtmlViewerTest, VetoStopsTheNavigation) {
  server_.Serve("/vetoed", HtmlPage("<title>vetoed</title>"));
  server_.Serve("/after", HtmlPage("<title>after</title>"));
  const std::string vetoed = server_.Url("/vetoed");
  WatchNavigations([&](const std::string& target) -> std::optional<bool> {
    if (target == vetoed) return false;
    return std::nullopt;
  });

  SetBrowserAddress(Viewer(), Text(vetoed));
  ASSERT_TRUE(QTest::qWaitFor([&] { return !asked_.empty(); }, kGuiTimeout.count()));
  // A later navigation that goes ahead shows that the vetoed one left no trace.
  Load(server_.Url("/after"));

  EXPECT_EQ(asked_, (std::vector<std::string>{vetoed, server_.Url("/after")}));
  EXPECT_EQ(RequestTargets(server_), std::vector<std::string>{"/after"});
  for (const QWebEngineHistoryItem& item : Viewer().history()->items()) {
    EXPECT_NE(item.url(), QUrl(QString::fromStdString(vetoed)));
  }
}

TEST_F(HtmlViewerTest, TrueOrNoValueLetsTheNavigationGoAhead) {
  for (const std::optional<bool> answer : {std::optional<bool>(true), std::optional<bool>()}) {
    SCOPED_TRACE(answer ? "true" : "no value");
    const std::string target = answer ? "/true" : "/no-value";
    server_.Serve(target, HtmlPage("<title>page</title>"));
    asked_.clear();
    WatchNavigations([answer](const std::string&) { return answer; });

    Load(server_.Url(target));

    EXPECT_EQ(asked_, std::vector<std::string>{server_.Url(target)});
    EXPECT_EQ(RequestTargets(server_).back(), target);
  }
}

TEST_F(HtmlViewerTest, SetBrowserAddressNavigatesToTheAddressAsGiven) {
  const struct {
    const char* name;
    bool on_server;  // address and target are relative to the test server
    Text address;
    std::string target;
  } kRows[] = {
      {"GBK bytes", true, "/s?search=\xB5\xE7&id=1", "/s?search=%B5%E7&id=1"},
      {"space", true, "/a b.html", "/a%20b.html"},
      {"escapes", true, "/%41?x=%e4", "/A?x=%E4"},
      {"empty: a blank page", false, "", "about:blank"},
  };
  WatchNavigations([](const std::string&) { return false; });
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.name);
    const std::string base = row.on_server ? server_.Url("") : "";
    asked_.clear();

    SetBrowserAddress(Viewer(), ConcatText(Text(base), row.address));

    ASSERT_TRUE(QTest::qWaitFor([&] { return !asked_.empty(); }, kGuiTimeout.count()));
    EXPECT_EQ(asked_.front(), base + row.target);
  }
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(HtmlViewerTest, LinkToANewWindowOpensInTheView) {
  server_.Serve("/opener", ClickablePage("<body style='margin:0'><a href='/target' target='_blank' "
                                         "style='display:block;height:400px'>open</a></body>"));
  server_.Serve("/target", HtmlPage("<title>target</title>"));
  LoadClickable(server_.Url("/opener"));

  Click(Qt::LeftButton, QPoint(200, 200));

  EXPECT_TRUE(QTest::qWaitFor(
      [&] { return Viewer().url() == QUrl(QString::fromStdString(server_.Url("/target"))); },
      kGuiTimeout.count()));
  EXPECT_TRUE(QTest::qWaitFor([&] { return Viewer().title() == QStringLiteral("target"); },
                              kGuiTimeout.count()));
  EXPECT_EQ(QApplication::topLevelWidgets().count(&window_), 1);
}

TEST_F(HtmlViewerTest, ScriptPopUpWithoutAClickIsBlocked) {
  server_.Serve("/popup-opener",
                HtmlPage("<body><script>var w = window.open('/popup');"
                         "document.title = w ? 'opened' : 'blocked';</script></body>"));
  server_.Serve("/popup", HtmlPage("<title>advert</title>"));
  WatchNavigations([](const std::string&) { return std::nullopt; });
  Load(server_.Url("/popup-opener"));

  ASSERT_TRUE(
      QTest::qWaitFor([&] { return Viewer().title() == "blocked" || Viewer().title() == "opened"; },
                      kGuiTimeout.count()));
  EXPECT_EQ(Viewer().title(), QStringLiteral("blocked"));
  EXPECT_EQ(asked_, std::vector<std::string>{server_.Url("/popup-opener")});
  EXPECT_EQ(Viewer().url(), QUrl(QString::fromStdString(server_.Url("/popup-opener"))));
}

TEST_F(HtmlViewerTest, PropertiesShowTheAddressUnderThePointerReadyToCopy) {
  server_.Serve("/menu", ClickablePage("<body style='margin:0'>"
                                       "<a href='/film/1.html' style='display:block;height:200px'>"
                                       "film</a><p>text</p></body>"));
  LoadClickable(server_.Url("/menu"));
  const struct {
    const char* name;
    QPoint point;         // where the user right-clicks in the view
    const char* address;  // what the dialog shows, relative to the server
  } kRows[] = {
      {"on a link", QPoint(40, 100), "/film/1.html"},
      {"on the page", QPoint(500, 400), "/menu"},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.name);
    Click(Qt::RightButton, row.point);
    QMenu* menu = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
          return menu != nullptr;
        },
        kGuiTimeout.count()));
    QAction* properties = nullptr;
    for (QAction* action : menu->actions()) {
      if (action->text() == QString::fromUtf8(HtmlViewer::kPropertiesCaption)) {
        properties = action;
      }
    }
    ASSERT_NE(properties, nullptr);
    EXPECT_GT(menu->actions().size(), 2) << "the standard entries are gone";
    properties->trigger();
    menu->close();

    QDialog* dialog = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
          dialog = Viewer().findChild<QDialog*>(QString::fromUtf8(HtmlViewer::kPropertiesCaption));
          return dialog != nullptr && dialog->isVisible();
        },
        kGuiTimeout.count()));
    auto* field = dialog->findChild<QLineEdit*>();
    ASSERT_NE(field, nullptr);
    EXPECT_EQ(field->text().toStdString(), server_.Url(row.address));
    EXPECT_TRUE(field->isReadOnly());
    EXPECT_EQ(field->selectedText(), field->text());
    dialog->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Viewer().findChild<QDialog*>() == nullptr; },
                                kGuiTimeout.count()));
  }
}

}  // namespace
}  // namespace veltrano
