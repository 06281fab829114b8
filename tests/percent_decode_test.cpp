#include "extract/percent_decode.h"

#include <gtest/gtest.h>

#include "tests/support/text_printer.h"

namespace veltrano {
namespace {

struct DecodeCase {
  const char* name;
  std::string_view input;
  std::string_view expected;
};

TEST(DecodePercentEscapes, Table) {
  const DecodeCase cases[] = {
      {"address", "ftp%3A%2F%2Fhost%2Fa%20b", "ftp://host/a b"},
      {"small hex digits", "%2f", "/"},
      {"GBK bytes", "%D6%D0%CE%C4.mkv", "\xD6\xD0\xCE\xC4.mkv"},
      {"UTF-8 bytes", "%E4%B8%AD", "\xE4\xB8\xAD"},
      {"trailing percent", "100%", "100%"},
      {"one digit at the end", "a%4", "a%4"},
      {"not hex", "%zz", "%zz"},
      {"one hex digit then not", "%g1", "%g1"},
      {"percent then escape", "%%41", "%A"},
      {"inside words", "50%off", "50%off"},
      {"zero byte stays escaped", "%00x", "%00x"},
      {"plus stays", "a+b", "a+b"},
      {"double-byte characters pass", "\xD6\xD0%41",
       "\xD6\xD0"
       "A"},
      {"escape of a high byte", "%ff%FF", "\xFF\xFF"},
      {"empty", "", ""},
  };
  for (const DecodeCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DecodePercentEscapes(Text(c.input)), Text(c.expected));
  }
}

}  // namespace
}  // namespace veltrano
