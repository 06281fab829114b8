#include "extract/percent_decode.h"

#include <cstring>
#include <string>

namespace veltrano {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

Text DecodePercentEscapes(const Text& s) {
  const std::string_view in = s.bytes();
  std::string out;
  out.reserve(in.size());  // decoding never grows the text
  std::size_t done = 0;
  while (done < in.size()) {
    const void* found = std::memchr(in.data() + done, '%', in.size() - done);
    const std::size_t percent =
        found == nullptr ? in.size()
                         : static_cast<std::size_t>(static_cast<const char*>(found) - in.data());
    out.append(in.substr(done, percent - done));
    if (percent == in.size()) break;
    const int high = percent + 2 < in.size() ? HexValue(in[percent + 1]) : -1;
    const int low = high >= 0 ? HexValue(in[percent + 2]) : -1;
    const int value = high * 16 + low;
    if (low >= 0 && value != 0) {
      out.push_back(static_cast<char>(value));
      done = percent + 3;
    } else {
      out.push_back('%');  // not an escape (or "%00"): kept as typed, decoding goes on after it
      done = percent + 1;
    }
  }
  return Text::Adopt(std::move(out));
}

std::string PercentEncode(std::string_view bytes, bool (*keep)(unsigned char byte)) {
  static constexpr const char* kHexDigits = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (keep(byte)) {
      out += c;
    } else {
      out += '%';
      out += kHexDigits[byte >> 4];
      out += kHexDigits[byte & 0xF];
    }
  }
  return out;
}

}  // namespace veltrano
