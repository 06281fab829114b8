// Pages and the first list entry cut out of each, shared by the whole-page and streaming tests.
#pragma once

#include <optional>
#include <string_view>

namespace veltrano {

struct CutCase {
  const char* name;
  std::string_view page;
  std::optional<std::string_view> expected;  // nullopt: the page has no list
};

inline const CutCase kCutCases[] = {
    {"one quoted entry", "<script>var g_downUrlList=[\"ftp%3A%2F%2Fh%2Fa\"];</script>",
     "ftp%3A%2F%2Fh%2Fa"},
    {"first of several entries", "g_downUrlList=[\"a\",\"b\"];", "a"},
    {"single quotes", "g_downUrlList=['x%20y','z'];", "x%20y"},
    {"closing quote must match the opening one", "g_downUrlList=['a\"b','c'];", "a\"b"},
    {"empty page", "", std::nullopt},
    {"no marker", "abcdefghijklmnopqrstuvwxyz];", std::nullopt},
    {"empty list", "g_downUrlList=[];var x=[\"later\"];", ""},
    {"no list end", "g_downUrlList=[\"a\"", ""},
    {"empty quoted entry", "g_downUrlList=[\"\",\"b\"];", ""},
    {"unquoted body loses a byte at each end", "g_downUrlList=[abcd];", "bc"},
    {"unclosed quote is cut as unquoted", "g_downUrlList=[\"abc];", "ab"},
    {"two-byte body", "g_downUrlList=[ab];", ""},
    {"first marker counts", "g_downUrlList=[\"1\"];g_downUrlList=[\"2\"];", "1"},
    {"marker hidden behind a lead byte", "\xB0g_downUrlList=[\"1\"];", std::nullopt},
    {"hidden marker, later one used", "\xB0g_downUrlList=[\"1\"]; g_downUrlList=[\"2\"];", "2"},
    {"double-byte characters in the entry", "g_downUrlList=[\"\xD6\xD0\xCE\xC4\"];",
     "\xD6\xD0\xCE\xC4"},
    {"list end hidden inside a pair", "g_downUrlList=[\"a\xB0]\"];", "a\xB0]"},
};

}  // namespace veltrano
