// The command-line converter, run as a program against pages served from 127.0.0.1.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/locale_output.h"
#include "tests/support/film_page.h"
#include "tests/support/http_server.h"
#include "tests/support/subprocess.h"

namespace veltrano {
namespace {

using namespace std::chrono_literals;
using test::HttpResponse;
using test::HttpServer;
using test::kFilmEntry;
using test::kFilmPage;
using test::RefusingPort;
using test::Reply;
using test::RunProgram;

constexpr const char* kFilmAddressGbk = "ftp://dl.example/\xD6\xD0\xCE\xC4.mkv";
constexpr const char* kFilmAddressUtf8 = "ftp://dl.example/\xE4\xB8\xAD\xE6\x96\x87.mkv";

std::string ListPage(std::string_view entry) {
  return "<script>g_downUrlList=[\"" + std::string(entry) + "\"];</script>";
}

class ConvertProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    server_.Serve("/film", Reply::Close(HttpResponse("200 OK", kFilmPage)));
    server_.Serve("/other", Reply::Close(HttpResponse("200 OK", ListPage("http%3A%2F%2Fx%2F2"))));
  }

  test::ProgramRun Run(std::vector<std::string> args, const std::string& input = "") {
    args.insert(args.begin(), VELTRANO_CONVERT_PATH);
    return RunProgram(args, input, {"LC_ALL=C.UTF-8", "no_proxy=127.0.0.1"});
  }

  HttpServer server_;
};

TEST_F(ConvertProgram, PrintsOneDecodedAddressPerPageInOrder) {
  const test::ProgramRun run = Run({server_.Url("/film"), server_.Url("/other")});
  EXPECT_EQ(run.out, std::string(kFilmAddressUtf8) + "\nhttp://x/2\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.exit_code, 0);
}

TEST_F(ConvertProgram, ReadsNonEmptyLinesOfStandardInput) {
  const std::string input = server_.Url("/other") + "\r\n\n" + server_.Url("/film") + "\n";
  const test::ProgramRun run = Run({}, input);
  EXPECT_EQ(run.out, "http://x/2\n" + std::string(kFilmAddressUtf8) + "\n");
  EXPECT_EQ(run.exit_code, 0);
}

TEST_F(ConvertProgram, KeepsInputOrderWhenTheFirstPageIsSlowest) {
  server_.Serve("/slow", Reply::Close(HttpResponse("200 OK", ListPage("slow"))).After(400ms));
  const test::ProgramRun run =
      Run({"--jobs", "4", server_.Url("/slow"), server_.Url("/other"), server_.Url("/film")});
  EXPECT_EQ(run.out, "slow\nhttp://x/2\n" + std::string(kFilmAddressUtf8) + "\n");
  EXPECT_EQ(run.exit_code, 0);
}

TEST_F(ConvertProgram, OutputForms) {
  const struct {
    const char* name;
    std::vector<std::string> options;
    std::string expected;
  } cases[] = {
      {"locale encoding by default", {}, std::string(kFilmAddressUtf8) + "\n"},
      {"bytes as decoded", {"--bytes"}, std::string(kFilmAddressGbk) + "\n"},
      {"raw entry", {"--raw"}, std::string(kFilmEntry) + "\n"},
      {"raw entry as bytes", {"--raw", "--bytes"}, std::string(kFilmEntry) + "\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args = c.options;
    args.push_back(server_.Url("/film"));
    const test::ProgramRun run = Run(args);
    EXPECT_EQ(run.out, c.expected);
    EXPECT_EQ(run.exit_code, 0);
  }
}

TEST_F(ConvertProgram, ReportsEachFailureAndKeepsLinesAligned) {
  RefusingPort refusing;
  server_.Serve("/plain", Reply::Close(HttpResponse("200 OK", "<html>no list</html>")));
  server_.Serve("/gone", Reply::Close(HttpResponse("404 Not Found", "<html>gone</html>")));
  server_.Serve("/gone-with-list",
                Reply::Close(HttpResponse("404 Not Found", ListPage("http%3A%2F%2Fy"))));
  server_.Serve("/empty", Reply::Close(HttpResponse("200 OK", "g_downUrlList=[\"\"];")));
  const struct {
    const char* name;
    std::string address;
    std::string out;
    std::string err;  // the reason after "veltrano-convert: <address>: "; empty for none
    int exit_code;
  } cases[] = {
      {"refused connection", refusing.Url("/x"), "\n", "Couldn't connect to server", 1},
      {"page without the list", server_.Url("/plain"), "\n", "no download list", 1},
      {"404 page without the list", server_.Url("/gone"), "\n", "no download list; HTTP status 404",
       1},
      {"404 page with the list", server_.Url("/gone-with-list"), "http://y\n", "", 0},
      {"empty first entry", server_.Url("/empty"), "\n", "empty entry", 1},
      {"not an http address", "ftp://127.0.0.1/x", "\n", "only http and https", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const test::ProgramRun run = Run({c.address, server_.Url("/other")});
    EXPECT_EQ(run.out, c.out + "http://x/2\n");
    if (c.err.empty()) {
      EXPECT_EQ(run.err, "");
    } else {
      EXPECT_EQ(run.err.rfind("veltrano-convert: " + c.address + ": ", 0), 0u) << run.err;
      EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    EXPECT_EQ(run.exit_code, c.exit_code);
  }
}

TEST_F(ConvertProgram, CommandLine) {
  const struct {
    const char* name;
    std::vector<std::string> args;
    int exit_code;
    std::string out_contains;
    std::string err_contains;
  } cases[] = {
      {"help", {"--help"}, 0, "Usage: veltrano-convert", ""},
      {"version", {"--version"}, 0, "veltrano-convert ", ""},
      {"unknown option", {"--fast"}, 2, "", "unknown option '--fast'"},
      {"jobs without a number", {"--jobs"}, 2, "", "--jobs needs a number"},
      {"jobs of zero", {"--jobs", "0"}, 2, "", "--jobs takes a whole number"},
      {"jobs not a number", {"--jobs=many"}, 2, "", "--jobs takes a whole number"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const test::ProgramRun run = Run(c.args);
    EXPECT_EQ(run.exit_code, c.exit_code);
    EXPECT_NE(run.out.find(c.out_contains), std::string::npos) << run.out;
    EXPECT_NE(run.err.find(c.err_contains), std::string::npos) << run.err;
  }
  EXPECT_EQ(server_.Connections(), 0u);
}

TEST_F(ConvertProgram, LostOutputIsAFailure) {
  for (const std::string& arg : {std::string("--help"), server_.Url("/film")}) {
    SCOPED_TRACE(arg);
    const test::ProgramRun run =
        RunProgram({"/bin/sh", "-c", "exec \"$0\" \"$1\" >/dev/full", VELTRANO_CONVERT_PATH, arg},
                   "", {"no_proxy=127.0.0.1"});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find("could not write the output"), std::string::npos) << run.err;
  }
}

TEST(ConvertGbkTo, NeverDropsAByteSilently) {
  const struct {
    const char* name;
    std::string_view gbk;
    std::string codeset;
    std::string_view expected;
  } cases[] = {
      {"GBK to UTF-8",
       "a\xD6\xD0"
       "b",
       "UTF-8",
       "a\xE4\xB8\xAD"
       "b"},
      {"lone lead byte at the end", "a\xD6", "UTF-8", "a%D6"},
      {"lead byte before ASCII", "\xD6 b", "UTF-8", "%D6 b"},
      {"four-byte GB18030 form", "\x81\x30\x81\x30", "UTF-8", "\xC2\x80"},
      {"character the codeset cannot show", "x\xD6\xD0y", "ISO-8859-1", "x%D6%D0y"},
      {"character the codeset can show", "\xA8\xA6", "ISO-8859-1", "\xE9"},
      {"unknown codeset", "a\xD6\xD0", "NO-SUCH-CODESET", "a%D6%D0"},
      {"empty", "", "UTF-8", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ConvertGbkTo(c.gbk, c.codeset), c.expected);
  }
}

}  // namespace
}  // namespace veltrano
