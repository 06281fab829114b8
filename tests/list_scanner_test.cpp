// ListEntryScanner against the whole-page cut: for every page and every way of cutting it into
// pieces, the scanner must give what FindFirstListEntry gives for the bytes fed so far.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "extract/list_entry.h"
#include "tests/support/list_entry_cases.h"
#include "tests/support/text_printer.h"

namespace veltrano {
namespace {

using namespace std::string_literals;

std::optional<Text> WholePageEntry(std::string_view body) {
  return FindFirstListEntry(BytesToText(Bytes(body)));
}

// Whether no bytes that follow can change the entry: the page text has ended, or the list end
// after the marker has been seen.
bool Settled(std::string_view body) {
  if (body.find('\0') != std::string_view::npos) return true;
  const std::size_t marker_at = FindCharacterAligned(body, kListMarker);
  if (marker_at == std::string_view::npos) return false;
  return FindCharacterAligned(body.substr(marker_at + std::string_view(kListMarker).size()),
                              kListEnd) != std::string_view::npos;
}

// Feeds body cut at the ascending offsets `cuts`, each piece in a buffer of exactly its size so
// that the sanitizer build catches a read past it, and checks the scanner after every piece.
// Pieces after a settled result are fed too: they must change nothing.
::testing::AssertionResult StreamsLikeWholePage(std::string_view body,
                                                const std::vector<std::size_t>& cuts) {
  ListEntryScanner scanner;
  std::size_t from = 0;
  for (std::size_t i = 0; i <= cuts.size(); ++i) {
    const std::size_t to = i < cuts.size() ? cuts[i] : body.size();
    const std::size_t size = to - from;
    const auto piece = std::make_unique<char[]>(size);
    body.copy(piece.get(), size, from);
    const bool wants_more = scanner.Feed(std::string_view(piece.get(), size));
    from = to;

    const std::string_view fed = body.substr(0, to);
    const std::optional<Text> expected = WholePageEntry(fed);
    if (wants_more == Settled(fed) || scanner.Finish() != expected) {
      return ::testing::AssertionFailure()
             << "page " << ::testing::PrintToString(std::string(body)) << " cut at "
             << ::testing::PrintToString(cuts) << ", after the piece ending at " << to
             << ": Feed gave " << wants_more << ", Finish gave "
             << ::testing::PrintToString(scanner.Finish()) << ", the whole-page cut gives "
             << ::testing::PrintToString(expected);
    }
  }
  return ::testing::AssertionSuccess();
}

std::vector<std::size_t> CutsEvery(std::size_t step, std::size_t size) {
  std::vector<std::size_t> cuts;
  for (std::size_t at = step; at < size; at += step) cuts.push_back(at);
  return cuts;
}

// Two pieces split at every offset, and pieces of a few fixed sizes.
void ExpectEveryChunkingAgrees(std::string_view body) {
  for (std::size_t at = 0; at <= body.size(); ++at) {
    ASSERT_TRUE(StreamsLikeWholePage(body, {at}));
  }
  for (const std::size_t step : {1u, 2u, 3u, 7u}) {
    ASSERT_TRUE(StreamsLikeWholePage(body, CutsEvery(step, body.size())));
  }
}

TEST(ListEntryScanner, AgreesOnTheCutTable) {
  for (const CutCase& c : kCutCases) {
    SCOPED_TRACE(c.name);
    ExpectEveryChunkingAgrees(c.page);
  }
}

std::string LongPage() {
  std::string page;
  for (int i = 0; i < 150; ++i) page += "<p>\xD6\xD0\xCE\xC4 g_down\xB0]</p>";
  return page + "g_downUrlList=[\"ftp%3A%2F%2Fh%2F\xD6\xD0.mkv\",'b'];</script>";
}

TEST(ListEntryScanner, AgreesOnTrickyPages) {
  const std::string marker = kListMarker;
  const std::string high_run = std::string(33, '\xB0');  // odd: hides what follows it
  const struct {
    const char* name;
    std::string body;
  } pages[] = {
      {"even high run before the marker", "\xB0\xB0" + marker + "\"1\"];"},
      {"long odd run hides the first marker", high_run + marker + "\"1\"];" + marker + "\"2\"];"},
      {"long even run keeps it", high_run + "\xB0" + marker + "\"1\"];"},
      {"run of high bytes inside the body", marker + "\"a\"" + high_run + "];\"];x];"},
      {"even run before the list end", marker + "a\xB0\xB0];b];"},
      {"partial marker before the marker", "g_downUrlListg_downUrlList=g_downUrlList=[\"a\"];"},
      {"marker with a doubled first byte", "gg_downUrlList=[[\"a\"]];"},
      {"quote closes after the list end", marker + "\"ab];\"];"},
      {"quoted entry then a long tail", marker + "\"a\"" + std::string(300, 'x') + "];"},
      {"empty entry next to the list end", marker + "'']];"},
      {"marker and no list end, long", marker + "'" + std::string(500, '\xA1') + "]"},
      {"zero byte before the marker", "<p>\0"s + marker + "\"a\"];"},
      {"zero byte after a high byte", "\xB0\0"s + marker + "\"a\"];"},
      {"zero byte inside the marker", "g_down\0UrlList=[\"a\"];"s},
      {"zero byte inside the entry", marker + "\"a\0b\"];"s},
      {"zero byte inside the list end", marker + "\"a\"]\0;"s},
      {"zero byte after the list end", marker + "\"a\"];\0"s + marker + "\"b\"];"},
      {"long page", LongPage()},
  };
  for (const auto& page : pages) {
    SCOPED_TRACE(page.name);
    ExpectEveryChunkingAgrees(page.body);
  }
}

// Random pages over the bytes that matter, with planted markers, list ends and near-misses, fed
// in random pieces (empty ones included).
TEST(ListEntryScanner, AgreesOnRandomPages) {
  const std::string_view tokens[] = {"g",
                                     "_",
                                     "\"",
                                     "'",
                                     "[",
                                     "]",
                                     ";",
                                     "a",
                                     "\xB0",
                                     "\xA1",
                                     kListMarker,
                                     kListEnd,
                                     "g_downUrlList=",
                                     "]\xB0;"};
  std::mt19937 random(20240611);
  std::uniform_int_distribution<std::size_t> pick_token(0, std::size(tokens) - 1);
  std::uniform_int_distribution<std::size_t> pick_length(0, 40);
  std::uniform_int_distribution<std::size_t> pick_piece(0, 9);
  std::uniform_int_distribution<int> one_in_hundred(0, 99);
  for (int page_number = 0; page_number < 3000; ++page_number) {
    std::string body;
    for (std::size_t length = pick_length(random); body.size() < length;) {
      body += one_in_hundred(random) == 0 ? std::string_view("\0", 1) : tokens[pick_token(random)];
    }
    for (int chunking = 0; chunking < 4; ++chunking) {
      std::vector<std::size_t> cuts;
      for (std::size_t at = pick_piece(random); at < body.size(); at += pick_piece(random)) {
        cuts.push_back(at);
      }
      ASSERT_TRUE(StreamsLikeWholePage(body, cuts));
    }
  }
}

}  // namespace
}  // namespace veltrano
