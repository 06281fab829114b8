#include "cli/page_conversion.h"

#include <optional>

#include "extract/list_entry.h"
#include "extract/percent_decode.h"

namespace veltrano {
namespace {

bool IsSuccessStatus(long status) { return status >= 200 && status < 300; }

// A fetch that gave nothing at all is described by the client's error alone; a page that arrived
// (whole or broken off) by what the page lacked, with the client's error in brackets.
std::string DescribeFailure(const FetchResult& fetch, bool received_body, bool has_list) {
  std::string reason;
  if (!received_body && !fetch.completed()) {
    reason = fetch.error;
  } else {
    reason = has_list ? kEmptyEntry : kNoDownloadList;
    if (!fetch.completed()) reason += " (" + fetch.error + ")";
  }
  if (fetch.http_status != 0 && !IsSuccessStatus(fetch.http_status)) {
    reason += "; HTTP status " + std::to_string(fetch.http_status);
  }
  return reason;
}

}  // namespace

PageConversion ConvertPage(const Text& page_address, bool raw, const FetchLimits& limits) {
  FetchResult fetch = Fetch(page_address, limits);
  const bool received_body = !fetch.body.empty();
  // The page is handed over, not copied: only the entry is.
  const std::optional<Text> entry = FindFirstListEntry(BytesToText(std::move(fetch.body)));
  PageConversion conversion;
  if (entry && !entry->empty()) {
    conversion.address = raw ? *entry : DecodePercentEscapes(*entry);
    return conversion;
  }
  conversion.failure = DescribeFailure(fetch, received_body, entry.has_value());
  return conversion;
}

}  // namespace veltrano
