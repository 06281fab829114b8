// Convert and Search through the real window: typed and clicked as a user would, against pages
// served from 127.0.0.1. The browser's own loads are vetoed through the about-to-navigate hook
// and recorded, so the server sees only the action's fetch and no outside address is visited.
#include "shell/actions.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "shell/control_access.h"
#include "tests/support/film_page.h"
#include "tests/support/http_server.h"
#include "tests/support/shown_window.h"
#include "tests/support/text_printer.h"

namespace veltrano {
namespace {

using namespace Qt::StringLiterals;
using test::HttpResponse;
using test::HttpServer;
using test::kFilmEntry;
using test::kFilmPage;
using test::RefusingPort;
using test::Reply;

class ActionsTest : public test::ShownWindowTest {
 protected:
  void SetUp() override {
    test::ShownWindowTest::SetUp();
    ASSERT_TRUE(WaitForStartPage());
    window_.Browser().SetAboutToNavigateHandler([this]() -> std::optional<bool> {
      navigations_.push_back(window_.Browser().Address());
      return false;
    });
  }

  QLineEdit& Box(const char* name) { return *qobject_cast<QLineEdit*>(Control(name)); }

  // Replaces the box's text by typing, as the user would.
  void Type(const char* box, const QString& text) {
    Box(box).selectAll();
    QTest::keyClick(&Box(box), Qt::Key_Delete);
    TypeText(&Box(box), text);
  }

  // Clicks the button; the action runs to its end inside the click. The browser asks the
  // about-to-navigate hook later, when its own process gets to the navigation.
  void Click(const char* button, std::size_t navigations_expected = 1) {
    const std::size_t before = navigations_.size();
    QTest::mouseClick(qobject_cast<QPushButton*>(Control(button)), Qt::LeftButton);
    (void)QTest::qWaitFor([&] { return navigations_.size() >= before + navigations_expected; },
                          test::kGuiTimeout.count());
  }

  Text PageAddress() { return GetEditText(window_.PageAddressBox()); }
  QString Result() { return Box("编辑框2").text(); }

  HttpServer server_;
  std::vector<Text> navigations_;
};

TEST_F(ActionsTest, ConvertShowsTheRealDownloadAddress) {
  server_.Serve("/film/1.html", Reply::Close(HttpResponse("200 OK", kFilmPage)));
  const std::string address = server_.Url("/film/1.html");
  Type("编辑框1", QString::fromStdString(address));
  Click("按钮1");

  EXPECT_EQ(PageAddress(), Text(kFilmEntry));
  EXPECT_EQ(Result(), u"ftp://dl.example/中文.mkv"_s);
  EXPECT_EQ(server_.Requests().size(), 1u);
  EXPECT_EQ(navigations_, std::vector<Text>{Text(address)});
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // the busy cursor is gone again
}

TEST_F(ActionsTest, ConvertOutcomes) {
  RefusingPort refusing;
  server_.Serve("/plain", Reply::Close(HttpResponse("200 OK", "<html>no list</html>")));
  server_.Serve("/gone", Reply::Close(HttpResponse("404 Not Found", kFilmPage)));
  const struct {
    const char* name;
    std::string address;
    std::string page_address_after;
    QString result;
  } cases[] = {
      {"page without the list", server_.Url("/plain"), "", u""_s},
      {"error page holding a list", server_.Url("/gone"), kFilmEntry,
       u"ftp://dl.example/中文.mkv"_s},
      {"refused connection", refusing.Url("/film"), "", u""_s},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    navigations_.clear();
    Type("编辑框2", u"left over"_s);
    Type("编辑框1", QString::fromStdString(c.address));
    Click("按钮1");
    EXPECT_EQ(PageAddress(), Text(c.page_address_after));
    EXPECT_EQ(Result(), c.result);
    EXPECT_EQ(navigations_, std::vector<Text>{Text(c.address)});
  }
}

TEST_F(ActionsTest, ConvertWithAnEmptyBoxFetchesNothing) {
  Type("编辑框2", u"left over"_s);
  Click("按钮1");
  EXPECT_EQ(PageAddress(), Text());
  EXPECT_EQ(Result(), u""_s);
  EXPECT_EQ(server_.Connections(), 0u);
  EXPECT_EQ(navigations_.size(), 1u);  // the browser was still told to go to the empty address
}

TEST_F(ActionsTest, SecondConvertWorksOnTheRawEntry) {
  server_.Serve("/film/1.html", Reply::Close(HttpResponse("200 OK", kFilmPage)));
  Type("编辑框1", QString::fromStdString(server_.Url("/film/1.html")));
  Click("按钮1");
  ASSERT_EQ(PageAddress(), Text(kFilmEntry));

  // The raw entry has no http scheme: nothing is fetched and both boxes end empty.
  Type("编辑框2", u"typed by the user"_s);
  Click("按钮1", 0);
  EXPECT_EQ(PageAddress(), Text());
  EXPECT_EQ(Result(), u""_s);
  EXPECT_EQ(server_.Requests().size(), 1u);
}

TEST_F(ActionsTest, SearchGoesToTheEncodedKeyword) {
  Type("编辑框1", u"page"_s);
  Type("编辑框2", u"result"_s);
  Type("编辑框3", u" \u3000a b&c#d%e+f 中文\u3000  "_s);
  Click("按钮2");
  EXPECT_EQ(navigations_, std::vector<Text>{Text("http://search.veltrano.invalid/search?search="
                                                 "a%20b%26c%23d%25e%2Bf%20%D6%D0%CE%C4&id=1")});
  EXPECT_EQ(PageAddress(), Text("page"));
  EXPECT_EQ(Result(), u"result"_s);
}

TEST(SearchAddressFor, Table) {
  const struct {
    const char* name;
    std::string_view keyword;
    std::string_view address;
  } cases[] = {
      {"empty", "", "http://search.veltrano.invalid/search?search=&id=1"},
      {"only spaces", "  \xA1\xA1 ", "http://search.veltrano.invalid/search?search=&id=1"},
      {"inner space kept and encoded", " a b ",
       "http://search.veltrano.invalid/search?search=a%20b&id=1"},
      {"tabs and line breaks are not trimmed", "\ta\r\n",
       "http://search.veltrano.invalid/search?search=%09a%0D%0A&id=1"},
      {"query syntax cannot leak", "a&id=2#x",
       "http://search.veltrano.invalid/search?search=a%26id=2%23x&id=1"},
      {"kept as typed", "Az09-._~!$'()*,;:@/?=[]",
       "http://search.veltrano.invalid/search?search=Az09-._~!$'()*,;:@/?=[]&id=1"},
      {"GBK bytes", "\xD6\xD0\xCE\xC4",
       "http://search.veltrano.invalid/search?search=%D6%D0%CE%C4&id=1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SearchAddressFor(Text(c.keyword)), Text(c.address));
  }
}

}  // namespace
}  // namespace veltrano
