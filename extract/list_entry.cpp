#include "extract/list_entry.h"

#include <string_view>

namespace veltrano {

std::optional<Text> FindFirstListEntry(const Text& page) {
  const std::string_view marker(kListMarker);
  const std::size_t marker_at = FindCharacterAligned(page.bytes(), marker);
  if (marker_at == std::string_view::npos) return std::nullopt;

  const std::string_view after_marker = page.bytes().substr(marker_at + marker.size());
  const std::size_t end_at = FindCharacterAligned(after_marker, kListEnd);
  if (end_at == std::string_view::npos) return Text();
  const std::string_view body = after_marker.substr(0, end_at);
  if (body.empty()) return Text();

  const char opening = body.front();
  if (opening == '"' || opening == '\'') {
    // A quote byte is never the second byte of a GBK pair, so a plain byte search finds the
    // closing quote, and stays right on pages in other encodings too.
    const std::size_t closing_at = body.find(opening, 1);
    if (closing_at != std::string_view::npos) return Text(body.substr(1, closing_at - 1));
  }
  // Unquoted or never closed: drop one byte at each end, whatever they are.
  if (body.size() <= 2) return Text();
  return Text(body.substr(1, body.size() - 2));
}

Text ExtractFirstListEntry(const Text& page) { return FindFirstListEntry(page).value_or(Text()); }

Text FetchListEntry(const Text& address) {
  return ExtractFirstListEntry(BytesToText(FetchUrl(address)));
}

}  // namespace veltrano
