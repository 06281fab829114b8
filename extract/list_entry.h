// The cut of the first entry out of a film page's download list.
//
// Such pages declare their download addresses in a script array:
//   g_downUrlList=["ftp%3A%2F%2Fhost%2Fa.mkv","ftp%3A%2F%2Fhost%2Fb.mkv"];
// The entry comes out raw, still percent-encoded (see percent_decode.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "extract/fetch.h"
#include "text/text.h"

namespace veltrano {

inline constexpr const char* kListMarker = "g_downUrlList=[";
inline constexpr const char* kListEnd = "];";

// The first entry of the page's download list, or nullopt when the page has no list marker.
// The list body runs from just after the first character-aligned marker to the first "];" after
// it (none, or an empty body: empty entry). A body that opens with " or ' gives the text up to
// the next byte of the same quote inside the body; any other body loses one byte at each end.
// Makes no copy of the page: only the entry is copied.
std::optional<Text> FindFirstListEntry(const Text& page);

// FindFirstListEntry over a page that arrives in pieces, without holding the page: between
// pieces it keeps a few bytes while looking for the marker, then the list body up to its first
// entry's closing quote (the whole body only when it is unquoted or never closed).
//
//   ListEntryScanner scanner;
//   while (more bytes && scanner.Feed(next bytes)) {}
//   std::optional<Text> entry = scanner.Finish();
class ListEntryScanner {
 public:
  // Takes the next bytes of the page body (zero bytes allowed: the first one ends the page text).
  // Returns false once the result is settled (the list end after the marker was seen, or the
  // page text ended), so the caller can stop the transfer; later bytes are then ignored.
  bool Feed(std::string_view chunk);

  // FindFirstListEntry(BytesToText(every byte fed so far)); may be asked at any time.
  std::optional<Text> Finish() const;

 private:
  // The first character-aligned occurrence of a needle in a stream of pieces.
  class StreamSearch {
   public:
    explicit StreamSearch(std::string_view needle) : needle_(needle) {}
    // The offset in chunk just past the first aligned occurrence that ends in it, or npos.
    std::size_t Feed(std::string_view chunk);

   private:
    std::string_view needle_;
    std::string carry_;                 // the last needle-1 bytes seen (fewer near the start)
    std::size_t run_before_carry_ = 0;  // high-byte run ending where carry_ starts
    std::size_t run_at_end_ = 0;        // high-byte run ending after the last byte seen
    std::string window_;                // carry_ and the next chunk's head, reused
  };

  // Appends a piece of the list body, until the first entry's closing quote is in.
  void KeepBody(std::string_view piece);

  StreamSearch marker_search_{kListMarker};
  StreamSearch end_search_{kListEnd};
  bool marker_found_ = false;
  bool end_found_ = false;
  bool settled_ = false;
  bool entry_closed_ = false;  // body_ holds the opening and closing quote; later bytes unneeded
  std::string body_;           // the list body from its first byte, see KeepBody
};

// FindFirstListEntry with a missing list given as the empty Text.
Text ExtractFirstListEntry(const Text& page);

struct ListEntryFetch {
  FetchResult fetch;          // how the fetch went; its body is not kept
  std::optional<Text> entry;  // as FindFirstListEntry gives it for the bytes received
};

// Fetches `address` and cuts the first list entry from the body as it streams in, so the page is
// never held whole; the transfer ends as soon as the entry is settled. The entry is the one
// FindFirstListEntry(BytesToText(body)) gives, whatever the HTTP status.
ListEntryFetch FetchFirstListEntry(const Text& address, const FetchLimits& limits = {});

// The same as ExtractFirstListEntry(BytesToText(FetchUrl(address))): the empty Text when the
// fetch failed or the page has no list.
Text FetchListEntry(const Text& address);

}  // namespace veltrano
