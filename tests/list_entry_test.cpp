#include "extract/list_entry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/list_entry_cases.h"
#include "tests/support/text_printer.h"

namespace veltrano {
namespace {

TEST(FindFirstListEntry, Table) {
  for (const CutCase& c : kCutCases) {
    SCOPED_TRACE(c.name);
    const std::optional<Text> entry = FindFirstListEntry(Text(c.page));
    ASSERT_EQ(entry.has_value(), c.expected.has_value());
    if (entry) {
      EXPECT_EQ(*entry, Text(*c.expected));
    }
    EXPECT_EQ(ExtractFirstListEntry(Text(c.page)), Text(c.expected.value_or("")));
  }
}

TEST(FindFirstListEntry, ZeroByteEndsThePage) {
  const Bytes body("<p>\0g_downUrlList=[\"a\"];", 25);
  EXPECT_EQ(FindFirstListEntry(BytesToText(body)), std::nullopt);
}

}  // namespace
}  // namespace veltrano
