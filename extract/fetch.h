// One blocking HTTP GET of a page address, with libcurl.
//
// The request is the same for every front end: "GET <path> HTTP/1.0" with the headers Host,
// User-Agent (kUserAgent), "Accept: */*" and "Pragma: no-cache", nothing else. The part of the
// address from its first "#" is not sent; spaces, control bytes and bytes 0x80 or above are
// sent percent-encoded so the request line stays one valid line. Only http and https are
// fetched, also across redirects (at most kMaxRedirects). The body is kept whatever the status.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "text/text.h"

namespace veltrano {

inline constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
inline constexpr int kMaxRedirects = 10;

// Bounds that keep a fetch from hanging or growing without end. Tests pass shorter ones.
struct FetchLimits {
  // Connection set-up, TLS handshake included.
  std::chrono::milliseconds connect_timeout{std::chrono::seconds(30)};
  // Longest time without receiving a byte, counted from the start of the request; then the
  // fetch breaks off with what it has.
  std::chrono::milliseconds idle_timeout{std::chrono::seconds(60)};
  // The whole transfer; then it breaks off with what it has. Without it a server that sends a
  // byte just inside every idle time-out could hold the fetch for ever.
  std::chrono::milliseconds transfer_timeout{std::chrono::minutes(10)};
  // Bytes of body kept; a longer body breaks off there.
  std::size_t max_body_bytes = std::size_t{256} << 20;
};

struct FetchResult {
  // The body bytes received; empty when no response arrived, the bytes so far when the transfer
  // broke off.
  Bytes body;
  // Body bytes received, whether kept in `body` or handed to a sink.
  std::size_t received_bytes = 0;
  // The final response's HTTP status, or 0 when no response arrived.
  long http_status = 0;
  // Empty when the transfer completed; otherwise why it did not: libcurl's own error text, or
  // one of ours for an unsupported scheme, the body limit or the idle time-out.
  std::string error;

  bool completed() const { return error.empty(); }
};

// Fetches `address` and reports how it went. Never throws; safe to call from several threads.
FetchResult Fetch(const Text& address, const FetchLimits& limits = {});

// Receives the body piece by piece as it arrives. Returning false ends the transfer early; that
// is not a failure.
using BodySink = std::function<bool(std::string_view piece)>;

// Like Fetch, but hands the body to `sink` as it arrives instead of keeping it (the result's
// body stays empty), so a large page never has to be held whole.
FetchResult FetchStreaming(const Text& address, const BodySink& sink,
                           const FetchLimits& limits = {});

// The body of `address` alone: empty Bytes when the fetch failed, the bytes so far when the
// body broke off.
Bytes FetchUrl(const Text& address);

// The address as it goes to libcurl: cut at the first "#", with spaces, control bytes and bytes
// 0x80 or above percent-encoded (capital hex digits). Every other byte is left as typed.
std::string EncodeAddressForRequest(std::string_view address);

}  // namespace veltrano
