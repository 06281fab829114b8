#include "extract/fetch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "extract/list_entry.h"
#include "tests/support/http_server.h"
#include "tests/support/text_printer.h"

namespace veltrano {
namespace {

using namespace std::chrono_literals;
using test::HttpHead;
using test::HttpResponse;
using test::HttpServer;
using test::RefusingPort;
using test::Reply;

// Loopback requests go straight to the test server, whatever proxy the user has set.
class DirectLoopback : public ::testing::Environment {
 public:
  void SetUp() override { setenv("no_proxy", "127.0.0.1", 1); }
};
[[maybe_unused]] const auto* const kDirectLoopback =
    ::testing::AddGlobalTestEnvironment(new DirectLoopback);

constexpr std::size_t kTestCap = std::size_t{64} << 10;

// Short limits, so a stalled server holds a test only briefly (libcurl wakes the idle check about
// once a second, so a stall still costs about that long).
FetchLimits TestLimits() {
  FetchLimits limits;
  limits.connect_timeout = 2s;
  limits.idle_timeout = 300ms;
  limits.max_body_bytes = kTestCap;
  return limits;
}

std::string ExpectedHead(std::string_view target, int port) {
  return "GET " + std::string(target) + " HTTP/1.0\r\nHost: 127.0.0.1:" + std::to_string(port) +
         "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n"
         "Accept: */*\r\nPragma: no-cache\r\n\r\n";
}

// `text` with "PORT" replaced by `port`.
std::string WithPort(std::string text, int port) {
  if (const std::size_t at = text.find("PORT"); at != std::string::npos) {
    text.replace(at, 4, std::to_string(port));
  }
  return text;
}

std::string RedirectTo(std::string_view location) {
  return HttpResponse("302 Found", "moved", "Location: " + std::string(location) + "\r\n");
}

std::string Chunk(std::string_view data) {
  char size[20];
  std::snprintf(size, sizeof size, "%zx\r\n", data.size());
  return size + std::string(data) + "\r\n";
}

struct RequestCase {
  const char* name;
  std::string after_host;  // typed after "http://127.0.0.1:<port>"
  std::string target;      // what the request line must carry
};

TEST(Fetch, SendsTheRequestByteForByte) {
  const RequestCase cases[] = {
      {"path and query", "/page.html?id=7&x=%41", "/page.html?id=7&x=%41"},
      {"no path", "", "/"},
      {"fragment not sent", "/a?b#part", "/a?b"},
      {"line break inside the fragment not sent", "/a#x\r\nX-Injected: 1", "/a"},
      {"spaces encoded", "/a b?c d", "/a%20b?c%20d"},
      {"tab, CR and LF encoded", "/a\tb?c\r\nX-Injected: 1", "/a%09b?c%0D%0AX-Injected:%201"},
      {"other control bytes and DEL encoded", "/\x01\x1F\x7F", "/%01%1F%7F"},
      {"high bytes encoded", "/\xD6\xD0?k=\xB0\xA1\xFF", "/%D6%D0?k=%B0%A1%FF"},
      {"printable bytes as typed", "/~a'b\"c<d>{e}|f^g`h\\", "/~a'b\"c<d>{e}|f^g`h\\"},
  };
  for (const RequestCase& c : cases) {
    SCOPED_TRACE(c.name);
    HttpServer server;
    server.Serve(c.target, Reply::Close(HttpResponse("200 OK", c.name)));
    const FetchResult result = Fetch(Text(server.Url("") + c.after_host), TestLimits());
    EXPECT_EQ(result.body, c.name);  // served under the expected target
    const std::vector<std::string> requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0], ExpectedHead(c.target, server.port()));
  }
}

struct SchemeCase {
  const char* name;
  std::string address;  // "PORT" stands for the server's port
  bool fetched;
};

TEST(Fetch, OnlyHttpAddressesReachTheNetwork) {
  const SchemeCase cases[] = {
      {"http", "http://127.0.0.1:PORT/", true},
      {"scheme in capitals", "HTTP://127.0.0.1:PORT/", true},
      {"ftp", "ftp://127.0.0.1:PORT/", false},
      {"file", "file:///etc/passwd", false},
      {"no scheme", "127.0.0.1:PORT/", false},
      {"host alone", "127.0.0.1", false},
      {"empty", "", false},
  };
  for (const SchemeCase& c : cases) {
    SCOPED_TRACE(c.name);
    HttpServer server;
    server.ServeByDefault(Reply::Close(HttpResponse("200 OK", "page")));
    const std::string address = WithPort(c.address, server.port());
    const FetchResult result = Fetch(Text(address), TestLimits());
    if (c.fetched) {
      EXPECT_EQ(result.body, "page");
      EXPECT_TRUE(result.completed()) << result.error;
    } else {
      EXPECT_EQ(result.body, "");
      EXPECT_EQ(result.http_status, 0);
      EXPECT_FALSE(result.completed());
      EXPECT_EQ(FetchUrl(Text(address)), "");
      EXPECT_EQ(server.Connections(), 0u);
    }
  }
}

struct OutcomeCase {
  const char* name;
  Reply reply;
  Bytes body;
  long status;
  bool completed;
};

TEST(Fetch, ReportsHowTheResponseWent) {
  const std::string head = HttpHead("200 OK");
  const std::string filler(16 << 10, 'x');
  const OutcomeCase cases[] = {
      {"page", Reply::Close(HttpResponse("200 OK", "<html>")), "<html>", 200, true},
      {"error page kept", Reply::Close(HttpResponse("404 Not Found", "gone")), "gone", 404, true},
      {"server error page kept", Reply::Close(HttpResponse("500 Oops", "err")), "err", 500, true},
      {"zero bytes kept", Reply::Close(HttpResponse("200 OK", std::string("a\0b\0", 4))),
       std::string("a\0b\0", 4), 200, true},
      {"body ended by close", Reply::Close(head + "to the end"), "to the end", 200, true},
      {"reply within the idle time-out", Reply::Close(HttpResponse("200 OK", "late")).After(100ms),
       "late", 200, true},
      {"body breaks off",
       Reply::Close(HttpHead("200 OK", "Content-Length: 100\r\n") + "0123456789"), "0123456789",
       200, false},
      {"body stalls", Reply::Stall(HttpHead("200 OK", "Content-Length: 100\r\n") + "abc"), "abc",
       200, false},
      {"not an HTTP response", Reply::Close("hello\r\n\r\n"), "", 0, false},
      {"body exactly at the cap", Reply::Close(HttpResponse("200 OK", std::string(kTestCap, 'y'))),
       std::string(kTestCap, 'y'), 200, true},
      {"body one byte over the cap",
       Reply::Close(HttpResponse("200 OK", std::string(kTestCap + 1, 'y'))),
       std::string(kTestCap, 'y'), 200, false},
      {"endless body", Reply::Endless(head, filler), std::string(kTestCap, 'x'), 200, false},
      {"endless chunked body",
       Reply::Endless("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n", Chunk(filler)),
       std::string(kTestCap, 'x'), 200, false},
  };
  for (const OutcomeCase& c : cases) {
    SCOPED_TRACE(c.name);
    HttpServer server;
    server.ServeByDefault(c.reply);
    const FetchResult result = Fetch(Text(server.Url("/")), TestLimits());
    EXPECT_EQ(result.body, c.body);
    EXPECT_EQ(result.http_status, c.status);
    EXPECT_EQ(result.completed(), c.completed) << result.error;
  }
}

struct RedirectCase {
  const char* name;
  int hops;                    // redirects from "/0" to "/1" and on, up to "/<hops>"
  std::string final_location;  // where "/<hops>" redirects to; empty: it serves the page
  Bytes body;
  bool completed;
};

TEST(Fetch, EndsATransferThatRunsTooLong) {
  HttpServer server;
  // A body that stops short of its length: only the time limit can end this transfer.
  server.Serve("/", Reply::Stall(HttpHead("200 OK", "Content-Length: 100\r\n") + "abc"));
  FetchLimits limits = TestLimits();
  limits.idle_timeout = 60s;
  limits.transfer_timeout = 300ms;
  const FetchResult result = Fetch(Text(server.Url("/")), limits);
  EXPECT_FALSE(result.completed());
  EXPECT_EQ(result.body, "abc");  // the bytes so far are kept
  EXPECT_EQ(result.http_status, 200);
}

TEST(Fetch, FollowsRedirectsWithinLimits) {
  const RedirectCase cases[] = {
      {"one redirect", 1, "", "end", true},
      {"the most redirects followed", kMaxRedirects, "", "end", true},
      {"one redirect too many", kMaxRedirects + 1, "", "", false},
      {"redirect to ftp", 0, "ftp://127.0.0.1:PORT/x", "", false},
      {"redirect to a file", 0, "file:///etc/passwd", "", false},
      {"redirect to ftp after a hop", 1, "ftp://127.0.0.1:PORT/x", "", false},
  };
  for (const RedirectCase& c : cases) {
    SCOPED_TRACE(c.name);
    HttpServer server;
    for (int hop = 0; hop < c.hops; ++hop) {
      server.Serve("/" + std::to_string(hop),
                   Reply::Close(RedirectTo(server.Url("/" + std::to_string(hop + 1)))));
    }
    server.Serve("/" + std::to_string(c.hops),
                 Reply::Close(c.final_location.empty()
                                  ? HttpResponse("200 OK", "end")
                                  : RedirectTo(WithPort(c.final_location, server.port()))));
    const FetchResult result = Fetch(Text(server.Url("/0")), TestLimits());
    EXPECT_EQ(result.body, c.body);
    EXPECT_EQ(result.http_status, c.completed ? 200 : 302);
    EXPECT_EQ(result.completed(), c.completed) << result.error;
    const std::vector<std::string> requests = server.Requests();
    // A redirect that is not followed leaves the server untouched, also on its own port.
    EXPECT_EQ(server.Connections(), requests.size());
    ASSERT_EQ(requests.size(), static_cast<std::size_t>(std::min(c.hops, kMaxRedirects) + 1));
    for (std::size_t i = 0; i < requests.size(); ++i) {
      EXPECT_EQ(requests[i], ExpectedHead("/" + std::to_string(i), server.port()));
    }
  }
}

TEST(Fetch, RefusedConnectionGivesNoBody) {
  const RefusingPort refusing;
  const FetchResult result = Fetch(Text(refusing.Url("/")), TestLimits());
  EXPECT_EQ(result.body, "");
  EXPECT_EQ(result.http_status, 0);
  EXPECT_FALSE(result.completed());
  EXPECT_EQ(FetchUrl(Text(refusing.Url("/"))), "");
}

TEST(Fetch, SeveralAtOnce) {
  constexpr int kPages = 4;
  HttpServer server;
  for (int page = 0; page < kPages; ++page) {
    // The first page is the slowest, so the fetches overlap and finish out of order.
    server.Serve("/" + std::to_string(page),
                 Reply::Close(HttpResponse("200 OK", "page " + std::to_string(page)))
                     .After(std::chrono::milliseconds(50 * (kPages - page))));
  }
  std::vector<FetchResult> results(kPages);
  std::vector<std::thread> threads;
  for (int page = 0; page < kPages; ++page) {
    threads.emplace_back([&, page] {
      results[static_cast<std::size_t>(page)] =
          Fetch(Text(server.Url("/" + std::to_string(page))), TestLimits());
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int page = 0; page < kPages; ++page) {
    EXPECT_EQ(results[static_cast<std::size_t>(page)].body, "page " + std::to_string(page));
  }
}

struct FetchUrlCase {
  const char* name;
  Reply reply;
  Bytes body;
};

TEST(FetchUrl, GivesTheBodyAlone) {
  const FetchUrlCase cases[] = {
      {"page", Reply::Close(HttpResponse("200 OK", "<html>")), "<html>"},
      {"error page", Reply::Close(HttpResponse("404 Not Found", "gone")), "gone"},
      {"body breaks off", Reply::Close(HttpHead("200 OK", "Content-Length: 9\r\n") + "abc"), "abc"},
      {"not an HTTP response", Reply::Close("hello\r\n\r\n"), ""},
  };
  for (const FetchUrlCase& c : cases) {
    SCOPED_TRACE(c.name);
    HttpServer server;
    server.ServeByDefault(c.reply);
    EXPECT_EQ(FetchUrl(Text(server.Url("/"))), c.body);
  }
}

struct EncodeCase {
  const char* name;
  std::string_view address;
  std::string_view expected;
};

TEST(FetchFirstListEntry, CutsTheEntryWhileTheBodyStreams) {
  HttpServer server;
  RefusingPort refusing;
  const std::string list = "<script>g_downUrlList=[\"ftp%3A%2F%2Fh%2Fa\",\"b\"];</script>";
  // An endless page: only stopping once the entry is settled ends this fetch before the cap.
  server.Serve("/endless", Reply::Endless(HttpHead("200 OK") + list, std::string(4096, 'x')));
  server.Serve("/gone", Reply::Close(HttpResponse("404 Not Found", list)));
  server.Serve("/plain", Reply::Close(HttpResponse("200 OK", "<p>no list</p>")));
  const struct {
    const char* name;
    std::string address;
    std::optional<Text> entry;
    bool completed;
  } cases[] = {
      {"endless page", server.Url("/endless"), Text("ftp%3A%2F%2Fh%2Fa"), true},
      {"error page with a list", server.Url("/gone"), Text("ftp%3A%2F%2Fh%2Fa"), true},
      {"page without a list", server.Url("/plain"), std::nullopt, true},
      {"refused connection", refusing.Url("/"), std::nullopt, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ListEntryFetch fetched = FetchFirstListEntry(Text(c.address), TestLimits());
    EXPECT_EQ(fetched.entry, c.entry);
    EXPECT_EQ(fetched.fetch.completed(), c.completed) << fetched.fetch.error;
    EXPECT_TRUE(fetched.fetch.body.empty());
    EXPECT_EQ(FetchListEntry(Text(c.address)), c.entry.value_or(Text()));
  }
}

TEST(EncodeAddressForRequest, Table) {
  const EncodeCase cases[] = {
      {"unchanged", "http://h/a/b?c=d&e=%41+f", "http://h/a/b?c=d&e=%41+f"},
      {"empty", "", ""},
      {"cut at the first #", "http://h/a#b#c", "http://h/a"},
      {"only a fragment", "#x", ""},
      {"space", "http://h/a b", "http://h/a%20b"},
      {"control bytes", std::string_view("\t\r\n\x01\x1F\x7F\0", 7), "%09%0D%0A%01%1F%7F%00"},
      {"high bytes in capital hex", "\x80\xA1\xA1\xFF", "%80%A1%A1%FF"},
      {"percent sign kept", "%zz%", "%zz%"},
  };
  for (const EncodeCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(EncodeAddressForRequest(c.address), c.expected);
  }
}

}  // namespace
}  // namespace veltrano
