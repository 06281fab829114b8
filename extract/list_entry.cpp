#include "extract/list_entry.h"

#include <algorithm>

namespace veltrano {
namespace {

constexpr std::string_view kMarker(kListMarker);
constexpr std::string_view kEnd(kListEnd);

// The list body starts right after the marker, and so right after a byte below 0x80: a search
// in the body can start with the alignment of a fresh text.
static_assert(static_cast<unsigned char>(kMarker.back()) < 0x80);

bool IsQuote(char c) { return c == '"' || c == '\''; }

// The first entry of a list body (the bytes between the marker and the list end).
Text EntryFromBody(std::string_view body) {
  if (body.empty()) return Text();
  if (IsQuote(body.front())) {
    // A quote byte is never the second byte of a GBK pair, so a plain byte search finds the
    // closing quote, and stays right on pages in other encodings too.
    const std::size_t closing_at = body.find(body.front(), 1);
    if (closing_at != std::string_view::npos) return Text(body.substr(1, closing_at - 1));
  }
  // Unquoted or never closed: drop one byte at each end, whatever they are.
  if (body.size() <= 2) return Text();
  return Text(body.substr(1, body.size() - 2));
}

}  // namespace

std::optional<Text> FindFirstListEntry(const Text& page) {
  const std::size_t marker_at = FindCharacterAligned(page.bytes(), kMarker);
  if (marker_at == std::string_view::npos) return std::nullopt;

  const std::string_view after_marker = page.bytes().substr(marker_at + kMarker.size());
  const std::size_t end_at = FindCharacterAligned(after_marker, kEnd);
  if (end_at == std::string_view::npos) return Text();
  return EntryFromBody(after_marker.substr(0, end_at));
}

Text ExtractFirstListEntry(const Text& page) { return FindFirstListEntry(page).value_or(Text()); }

ListEntryFetch FetchFirstListEntry(const Text& address, const FetchLimits& limits) {
  ListEntryScanner scanner;
  ListEntryFetch result;
  result.fetch = FetchStreaming(
      address, [&scanner](std::string_view piece) { return scanner.Feed(piece); }, limits);
  result.entry = scanner.Finish();
  return result;
}

Text FetchListEntry(const Text& address) {
  return FetchFirstListEntry(address).entry.value_or(Text());
}

std::size_t ListEntryScanner::StreamSearch::Feed(std::string_view chunk) {
  const std::size_t keep = needle_.size() - 1;
  // An occurrence that starts in the carry ends within the chunk's first keep bytes; window_ is
  // too short to hold one that lies wholly in the chunk.
  window_.assign(carry_).append(chunk.substr(0, keep));
  const std::size_t straddling_at = FindCharacterAligned(window_, needle_, run_before_carry_);
  if (straddling_at != std::string_view::npos) {
    return straddling_at + needle_.size() - carry_.size();
  }
  const std::size_t at = FindCharacterAligned(chunk, needle_, run_at_end_);
  if (at != std::string_view::npos) return at + needle_.size();

  if (chunk.size() >= keep) {
    const std::size_t carry_at = chunk.size() - keep;
    run_before_carry_ = HighByteRunBefore(chunk, carry_at, run_at_end_);
    carry_.assign(chunk.substr(carry_at));
  } else {  // window_ holds the old carry and the whole chunk
    const std::size_t carry_at = window_.size() - std::min(keep, window_.size());
    run_before_carry_ = HighByteRunBefore(window_, carry_at, run_before_carry_);
    carry_.assign(window_, carry_at);
  }
  run_at_end_ = HighByteRunBefore(chunk, chunk.size(), run_at_end_);
  return std::string_view::npos;
}

bool ListEntryScanner::Feed(std::string_view chunk) {
  if (settled_) return false;
  const std::size_t zero_at = chunk.find('\0');
  settled_ = zero_at != std::string_view::npos;
  chunk = chunk.substr(0, zero_at);

  if (!marker_found_) {
    const std::size_t body_at = marker_search_.Feed(chunk);
    if (body_at == std::string_view::npos) return !settled_;
    marker_found_ = true;
    chunk.remove_prefix(body_at);
  }
  const std::size_t end_after = end_search_.Feed(chunk);
  if (end_after == std::string_view::npos) {
    KeepBody(chunk);
    return !settled_;
  }
  KeepBody(chunk.substr(0, end_after));
  // Unless the entry closed before it, the list end went into body_ too.
  if (!entry_closed_) body_.resize(body_.size() - kEnd.size());
  end_found_ = true;
  settled_ = true;
  return false;
}

void ListEntryScanner::KeepBody(std::string_view piece) {
  if (entry_closed_ || piece.empty()) return;
  const bool opens_body = body_.empty();
  const char opening = opens_body ? piece.front() : body_.front();
  if (IsQuote(opening)) {
    const std::size_t closing_at = piece.find(opening, opens_body ? 1 : 0);
    if (closing_at != std::string_view::npos) {
      piece = piece.substr(0, closing_at + 1);
      entry_closed_ = true;
    }
  }
  body_.append(piece);
}

std::optional<Text> ListEntryScanner::Finish() const {
  if (!marker_found_) return std::nullopt;
  if (!end_found_) return Text();
  return EntryFromBody(body_);
}

}  // namespace veltrano
