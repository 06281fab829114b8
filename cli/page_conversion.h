// What the command-line converter makes of one page address: the address to print, or why
// there is none.
#pragma once

#include <string>

#include "extract/fetch.h"
#include "text/text.h"

namespace veltrano {

inline constexpr const char* kNoDownloadList = "no download list";
inline constexpr const char* kEmptyEntry = "empty entry";

struct PageConversion {
  // The first list entry, percent-decoded unless raw was asked for; empty on failure.
  Text address;
  // Empty when address is not; otherwise one line naming the reason: the HTTP client's error
  // text, kNoDownloadList or kEmptyEntry, with the HTTP status appended when it was not 2xx.
  std::string failure;
};

// Fetches `page_address` with the same request and limits as the window and cuts the first
// list entry from the body, whatever the HTTP status. Decodes it unless `raw`.
PageConversion ConvertPage(const Text& page_address, bool raw, const FetchLimits& limits = {});

}  // namespace veltrano
