#include "text/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <limits>
#include <string>

#include "tests/support/text_printer.h"

namespace veltrano {
namespace {

constexpr Count kMinCount = std::numeric_limits<Count>::min();
constexpr Count kMaxCount = std::numeric_limits<Count>::max();

TEST(TextValue, StopsAtTheFirstZeroByte) {
  EXPECT_EQ(Text(std::string_view("a\0b", 3)), Text("a"));
  EXPECT_EQ(Text::Adopt(std::string("a\0b", 3)), Text("a"));
  EXPECT_EQ(Text(static_cast<const char*>(nullptr)), Text());
  EXPECT_TRUE(Text("").empty());
  EXPECT_EQ(TextLength(Text()), 0);
  EXPECT_EQ(TextLength(Text("\xD6\xD0")), 2);
}

struct FindCase {
  const char* name;
  std::string_view haystack;
  std::string_view needle;
  Count expected;
};

TEST(FindText, Table) {
  const FindCase cases[] = {
      {"empty haystack, empty needle", "", "", -1},
      {"empty haystack", "", "a", -1},
      {"empty needle", "abc", "", 1},
      {"first occurrence only", "x];y];", "];", 2},
      {"at the start", "g_downUrlList=[", "g_downUrlList=[", 1},
      {"case matters", "ABC", "b", -1},
      {"needle longer than haystack", "ab", "abc", -1},
      {"at the very end", "xyzab", "ab", 4},
      {"lead byte carries the first needle byte", "\xB0g_downUrlList=[", "g_downUrlList=[", -1},
      {"later aligned occurrence is found", "\xB0g_x g_", "g_", 6},
      {"after a whole pair", "\xB0\xA1g_", "g_", 3},
      {"even run of high bytes", "a\xB0\xB1\xB2\xB3g", "g", 6},
      {"odd run of high bytes hides it", "a\xB1\xB2\xB3g", "g", -1},
      {"double-byte needle on a boundary", "\xA1\xA1\xA1\xA1", "\xA1\xA1", 1},
      {"double-byte needle off a boundary", "a\xB0\xA1\xA1", "\xA1\xA1", -1},
      {"double-byte needle, later aligned", "\xB0\xA1\xA1\xA1", "\xA1\xA1", 3},
      {"lone lead byte at the end", "ab\xB0", "\xB0", 3},
      {"needle of high bytes in a long run", "\xC1\xC1\xC1\xC1\xC1\xC1\xC2", "\xC1\xC2", -1},
      {"needle of high bytes, aligned", "\xC1\xC1\xC1\xC1\xC2\xC2", "\xC2\xC2", 5},
  };
  for (const FindCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FindText(Text(c.haystack), Text(c.needle)), c.expected);
  }
}

// The stepping reader, written as plainly as possible, to check the fast search against.
Count SteppingFind(std::string_view hay, std::string_view needle) {
  if (needle.empty()) return hay.empty() ? -1 : 1;
  std::size_t i = 0;
  while (i + needle.size() <= hay.size()) {
    if (hay.substr(i, needle.size()) == needle) return static_cast<Count>(i) + 1;
    i += static_cast<unsigned char>(hay[i]) >= 0x80 ? 2u : 1u;
  }
  return -1;
}

TEST(FindText, AgreesWithSteppingOnMixedRuns) {
  // Every haystack over a small alphabet up to length 7, with needles that can straddle pairs.
  const char alphabet[] = {'a', '\xA1', '\xB0'};
  const std::string_view needles[] = {"a",
                                      "\xA1",
                                      "\xA1\xA1",
                                      "a\xA1",
                                      "\xB0"
                                      "a",
                                      "aa"};
  for (int length = 0; length <= 7; ++length) {
    int combinations = 1;
    for (int i = 0; i < length; ++i) combinations *= 3;
    for (int n = 0; n < combinations; ++n) {
      std::string hay;
      for (int i = 0, rest = n; i < length; ++i, rest /= 3)
        hay.push_back(alphabet[static_cast<std::size_t>(rest % 3)]);
      for (std::string_view needle : needles) {
        ASSERT_EQ(FindText(Text(hay), Text(needle)), SteppingFind(hay, needle))
            << "haystack of " << hay.size() << " bytes, pattern " << n;
      }
    }
  }
}

TEST(FindText, StaysLinearOnLongRunsOfCandidates) {
  // A million high bytes where every odd offset is a rejected candidate: a rescan per candidate
  // would take minutes, the incremental one takes milliseconds.
  std::string hay = "a" + std::string(1'000'001, '\xC1');
  hay += "\xC1\xC2";
  EXPECT_EQ(FindText(Text(hay), Text("\xC1\xC2")), -1);
  hay = std::string(1'000'000, '\xC1') + "\xC2\xC2";
  EXPECT_EQ(FindText(Text(hay), Text("\xC2\xC2")), 1'000'001);
}

struct CountCase {
  const char* name;
  std::string_view text;
  Count start;  // unused by TextRight
  Count n;
  std::string_view expected;
};

TEST(TextRight, Table) {
  const CountCase cases[] = {
      {"zero", "abcdef", 0, 0, ""},
      {"negative", "abcdef", 0, -14, ""},
      {"most negative", "abcdef", 0, kMinCount, ""},
      {"more than the length", "abcdef", 0, 10, "abcdef"},
      {"largest count", "abcdef", 0, kMaxCount, "abcdef"},
      {"exact length", "abcdef", 0, 6, "abcdef"},
      {"last two", "abcdef", 0, 2, "ef"},
      {"splits a pair", "a\xD6\xD0", 0, 1, "\xD0"},
      {"of empty", "", 0, 3, ""},
  };
  for (const CountCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TextRight(Text(c.text), c.n), Text(c.expected));
  }
}

TEST(TextMid, Table) {
  const CountCase cases[] = {
      {"negative count", "abcdef", 1, -3, ""},
      {"of empty", "", 1, 5, ""},
      {"start just past the end", "abc", 4, 1, ""},
      {"runs past the end", "abcdef", 5, 10, "ef"},
      {"middle", "abcdef", 2, 3, "bcd"},
      {"start zero", "abcdef", 0, 3, ""},
      {"most negative start", "abcdef", kMinCount, kMaxCount, ""},
      {"largest start", "abcdef", kMaxCount, 1, ""},
      {"largest count", "abcdef", 3, kMaxCount, "cdef"},
      {"int range is no limit", "abcdef", INT_MAX, INT_MAX, ""},
      {"int minimum count", "abcdef", 1, INT_MIN, ""},
      {"splits a pair", "\xD6\xD0\xCE\xC4", 2, 2, "\xD0\xCE"},
  };
  for (const CountCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TextMid(Text(c.text), c.start, c.n), Text(c.expected));
  }
}

struct MapCase {
  const char* name;
  std::string_view input;
  std::string_view expected;
};

TEST(TextUpper, Table) {
  const MapCase cases[] = {
      {"letters only", "ab%z", "AB%Z"},
      {"lone lead byte", "\xE4", "\xE4"},
      {"second byte of a pair is not a letter",
       "\xB0"
       "a"
       "b",
       "\xB0"
       "aB"},
      {"capitals and digits stay", "AZ09[`{", "AZ09[`{"},
      {"empty", "", ""},
  };
  for (const MapCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TextUpper(Text(c.input)), Text(c.expected));
  }
}

TEST(TextFromByte, KeepsTheLowEightBits) {
  const struct {
    Count code;
    std::string_view expected;
  } cases[] = {
      {0, ""},       {-34, "\xDE"}, {321, "A"},      {256, ""},
      {255, "\xFF"}, {-1, "\xFF"},  {kMinCount, ""}, {kMaxCount, "\xFF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(TextFromByte(c.code), Text(c.expected));
  }
}

TEST(TrimBothEnds, Table) {
  const MapCase cases[] = {
      {"ASCII spaces", "  key  ", "key"},
      {"ideographic spaces", "\xA1\xA1key\xA1\xA1\xA1\xA1", "key"},
      {"mixed spaces", " \xA1\xA1 key \xA1\xA1", "key"},
      {"tabs and line breaks stay", "\tkey\r\n", "\tkey\r\n"},
      {"lone lead byte at the end goes, the space stays", "key \xB0", "key "},
      {"inner spaces stay", " a b ", "a b"},
      {"0xA1 pair that is not a space ends the run", "key\xA1\xB0 ", "key\xA1\xB0"},
      {"0xA1 pair ending in a space", "key\xA1  ", "key\xA1 "},
      {"space inside a pair is not a space", "\xB0 ", "\xB0 "},
      {"only spaces", "  \xA1\xA1  ", ""},
      {"lone 0xA1 at the end", "key \xA1", "key "},
      {"empty", "", ""},
  };
  for (const MapCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TrimBothEnds(Text(c.input)), Text(c.expected));
  }
}

TEST(ConcatText, JoinsInOrder) {
  EXPECT_EQ(ConcatText(Text("ab"), Text(), Text("\xD6\xD0"), Text("c")), Text("ab\xD6\xD0"
                                                                              "c"));
  EXPECT_EQ(ConcatText(Text(), Text()), Text());
}

TEST(BytesToText, StopsAtZero) {
  EXPECT_EQ(BytesToText(Bytes("a\0b", 3)), Text("a"));
  EXPECT_EQ(BytesToText(Bytes()), Text());
  EXPECT_EQ(BytesToText(Bytes("\0", 1)), Text());
  Bytes owned("xyz\0w", 5);
  EXPECT_EQ(BytesToText(std::move(owned)), Text("xyz"));
}

}  // namespace
}  // namespace veltrano
