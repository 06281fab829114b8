#include "cli/page_conversion.h"

#include <optional>

#include "extract/list_entry.h"
#include "extract/percent_decode.h"

namespace veltrano {
namespace {

bool IsSuccessStatus(long status) { return status >= 200 && status < 300; }

// A fetch that gave nothing at all is described by the client's error alone; a page that arrived
// (whole or broken off) by what the page lacked, with the client's error in brackets.
std::string DescribeFailure(const FetchResult& fetch, bool has_list) {
  std::string reason;
  if (fetch.received_bytes == 0 && !fetch.completed()) {
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
  const ListEntryFetch fetched = FetchFirstListEntry(page_address, limits);
  const std::optional<Text>& entry = fetched.entry;
  PageConversion conversion;
  if (entry && !entry->empty()) {
    conversion.address = raw ? *entry : DecodePercentEscapes(*entry);
    return conversion;
  }
  conversion.failure = DescribeFailure(fetched.fetch, entry.has_value());
  return conversion;
}

}  // namespace veltrano
