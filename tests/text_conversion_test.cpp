// Text <-> QString and Text -> QUrl: what the boxes show and where the browser is sent.
#include "shell/text_conversion.h"

#include <gtest/gtest.h>

#include "tests/support/text_printer.h"

namespace veltrano {
namespace {

struct CharacterRow {
  const char* name;
  Text text;
  const char* characters;  // UTF-8
};

TEST(TextConversionTest, ValidTextDecodesToItsCharactersAndEncodesBack) {
  const CharacterRow kRows[] = {
      {"empty", "", ""},
      {"ASCII", "g_downUrlList=[", "g_downUrlList=["},
      {"GBK pairs", "\xC4\xE3\xBA\xC3", "你好"},
      {"ideographic space", "\xA1\xA1", "\u3000"},
      {"caption", "\xD7\xAA\xBB\xBB", "转换"},
      {"fullwidth hyphen and ASCII", "\xA3\xAD>", "－>"},
  };
  for (const CharacterRow& row : kRows) {
    SCOPED_TRACE(row.name);
    const QString characters = QString::fromUtf8(row.characters);
    EXPECT_EQ(TextToQString(row.text), characters);
    EXPECT_EQ(QStringToText(characters), row.text);
  }
}

// Nothing vanishes from view: each byte that starts no character shows as U+FFFD.
TEST(TextConversionTest, EveryUndecodableByteShows) {
  const CharacterRow kRows[] = {
      {"lone lead byte", "\xB5", "\uFFFD"},
      {"lone lead byte after text", "ab\xB5", "ab\uFFFD"},
      {"cut-off pair before a space", "\xB5 z", "\uFFFD z"},
      {"byte 0x80",
       "a\x80"
       "b",
       "a\uFFFDb"},
      {"byte 0xFF", "\xFF", "\uFFFD"},
  };
  for (const CharacterRow& row : kRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(TextToQString(row.text), QString::fromUtf8(row.characters));
  }
}

TEST(TextConversionTest, EncodingStopsAtTheFirstZeroCharacter) {
  EXPECT_EQ(QStringToText(QStringLiteral(u"a\u0000b")), Text("a"));
}

TEST(TextConversionTest, AddressBecomesAUrlWithHighBytesEncodedAsTheyAre) {
  const struct {
    const char* name;
    Text address;
    Text url;  // as the browser is sent there, fully encoded
  } kRows[] = {
      {"empty", "", ""},
      {"plain", "http://h.example/a/b.html", "http://h.example/a/b.html"},
      {"GBK keyword", "http://h.example/search?search=\xB5\xE7\xD3\xB0&id=1",
       "http://h.example/search?search=%B5%E7%D3%B0&id=1"},
      {"lone high byte", "http://h.example/\xFF", "http://h.example/%FF"},
      // Escapes stay escapes, except those of unreserved characters, which QUrl (like every
      // browser) decodes; hex digits come out in capitals.
      {"escapes", "http://h.example/%41%e4%2F", "http://h.example/A%E4%2F"},
      {"space and broken escape", "http://h.example/a b%zz", "http://h.example/a%20b%25zz"},
      {"query and fragment kept", "http://h.example/p?a=1&b=2#part",
       "http://h.example/p?a=1&b=2#part"},
      {"other scheme", "ftp://h.example/%B5%E7.rmvb", "ftp://h.example/%B5%E7.rmvb"},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(UrlToText(TextToUrl(row.address)), row.url);
  }
}

}  // namespace
}  // namespace veltrano
