// The cut of the first entry out of a film page's download list.
//
// Such pages declare their download addresses in a script array:
//   g_downUrlList=["ftp%3A%2F%2Fhost%2Fa.mkv","ftp%3A%2F%2Fhost%2Fb.mkv"];
// The entry comes out raw, still percent-encoded (see percent_decode.h).
#pragma once

#include <optional>

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

// FindFirstListEntry with a missing list given as the empty Text.
Text ExtractFirstListEntry(const Text& page);

// ExtractFirstListEntry(BytesToText(FetchUrl(address))).
Text FetchListEntry(const Text& address);

}  // namespace veltrano
