#include "extract/fetch.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

#include "extract/percent_decode.h"

namespace veltrano {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kAllowedProtocols = "http,https";
constexpr const char* kAcceptHeader = "Accept: */*";
constexpr const char* kNoCacheHeader = "Pragma: no-cache";
constexpr const char* kUnsupportedScheme = "unsupported address: only http and https are fetched";
constexpr const char* kBodyTooLarge = "body limit reached";
constexpr const char* kIdleTooLong = "no data received within the idle time-out";

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool HasHttpScheme(std::string_view address) {
  const std::size_t colon = address.find(':');
  if (colon == std::string_view::npos) return false;
  std::string scheme(address.substr(0, colon));
  for (char& c : scheme) c = AsciiLower(c);
  return scheme == "http" || scheme == "https";
}

struct Transfer {
  CURL* handle;
  const FetchLimits& limits;
  const BodySink* sink;  // null: the body is kept in `body`
  Bytes body;
  std::size_t received = 0;
  Clock::time_point last_byte = Clock::now();
  bool body_capped = false;
  bool idle_too_long = false;
  bool sink_done = false;
};

// Size the buffer once when the server announces the length, so a large page is not
// reallocated and copied while it grows.
void ReserveAnnouncedLength(Transfer& transfer) {
  curl_off_t announced = -1;
  curl_easy_getinfo(transfer.handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
  if (announced > 0) {
    transfer.body.reserve(
        std::min(static_cast<std::size_t>(announced), transfer.limits.max_body_bytes));
  }
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const std::size_t incoming = size * count;
  transfer->last_byte = Clock::now();
  const std::size_t room = transfer->limits.max_body_bytes - transfer->received;
  const std::size_t taken = std::min(incoming, room);
  transfer->received += taken;
  if (transfer->sink != nullptr) {
    if (!(*transfer->sink)(std::string_view(data, taken))) {
      transfer->sink_done = true;
      return 0;  // libcurl stops with CURLE_WRITE_ERROR, which here means "enough"
    }
  } else {
    if (transfer->body.empty()) ReserveAnnouncedLength(*transfer);
    transfer->body.append(data, taken);
  }
  if (taken < incoming) {
    transfer->body_capped = true;
    return 0;  // libcurl stops with CURLE_WRITE_ERROR
  }
  return incoming;
}

size_t OnHeader(char*, size_t size, size_t count, void* user) {
  static_cast<Transfer*>(user)->last_byte = Clock::now();
  return size * count;
}

// libcurl's own low-speed limit averages over a window, so a server that trickles a byte now and
// then could hold the fetch for ever; the idle time is measured from the last byte instead.
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* transfer = static_cast<Transfer*>(user);
  if (Clock::now() - transfer->last_byte > transfer->limits.idle_timeout) {
    transfer->idle_too_long = true;
    return 1;  // libcurl stops with CURLE_ABORTED_BY_CALLBACK
  }
  return 0;
}

struct CurlDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

}  // namespace

std::string EncodeAddressForRequest(std::string_view address) {
  return PercentEncode(address.substr(0, address.find('#')),
                       [](unsigned char byte) { return byte > 0x20 && byte < 0x7F; });
}

namespace {

FetchResult Perform(const Text& address, const FetchLimits& limits, const BodySink* sink) {
  FetchResult result;
  const std::string url = EncodeAddressForRequest(address.bytes());
  if (!HasHttpScheme(url)) {
    result.error = kUnsupportedScheme;
    return result;
  }
  InitCurlOnce();
  std::unique_ptr<CURL, CurlDeleter> handle(curl_easy_init());
  if (!handle) {
    result.error = "could not start the HTTP client";
    return result;
  }
  CURL* curl = handle.get();
  Transfer transfer{curl, limits, sink, {}};
  std::unique_ptr<curl_slist, CurlDeleter> headers(
      curl_slist_append(curl_slist_append(nullptr, kAcceptHeader), kNoCacheHeader));
  char error_text[CURL_ERROR_SIZE] = "";

  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, kAllowedProtocols);
  curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, kAllowedProtocols);
  curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(curl, CURLOPT_MAXREDIRS, static_cast<long>(kMaxRedirects));
  curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
  curl_easy_setopt(curl, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                   static_cast<long>(limits.connect_timeout.count()));
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(limits.transfer_timeout.count()));
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);  // safe with several fetches on threads
  curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error_text);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);

  const CURLcode code = curl_easy_perform(curl);
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.http_status);
  result.body = std::move(transfer.body);
  result.received_bytes = transfer.received;
  if (transfer.sink_done) return result;  // the sink had what it needed: not a failure
  if (transfer.body_capped) {
    result.error = kBodyTooLarge;
  } else if (transfer.idle_too_long) {
    result.error = kIdleTooLong;
  } else if (code != CURLE_OK) {
    result.error = error_text[0] != '\0' ? error_text : curl_easy_strerror(code);
  }
  return result;
}

}  // namespace

FetchResult Fetch(const Text& address, const FetchLimits& limits) {
  return Perform(address, limits, nullptr);
}

FetchResult FetchStreaming(const Text& address, const BodySink& sink, const FetchLimits& limits) {
  return Perform(address, limits, &sink);
}

Bytes FetchUrl(const Text& address) { return Fetch(address).body; }

}  // namespace veltrano
