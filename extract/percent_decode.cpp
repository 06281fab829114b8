#include "extract/percent_decode.h"

#include <array>
#include <cstdint>
#include <string>

namespace veltrano {
namespace {

constexpr const char* kHexDigits = "0123456789ABCDEF";

// Each byte's value as a hexadecimal digit, or 0x100 for a byte that is none: then
// 16 * high + low lies in 1..255 exactly when both are digits and name a byte other than zero.
constexpr std::array<std::uint16_t, 256> kDigitValue = [] {
  std::array<std::uint16_t, 256> values{};
  values.fill(0x100);
  for (std::uint16_t d = 0; d < 16; ++d) {
    values[static_cast<unsigned char>(kHexDigits[d])] = d;
    values[static_cast<unsigned char>(kHexDigits[d] | 0x20)] = d;  // small letters; digits stay
  }
  return values;
}();

unsigned EscapeValue(char high, char low) {
  return kDigitValue[static_cast<unsigned char>(high)] * 16u +
         kDigitValue[static_cast<unsigned char>(low)];
}

}  // namespace

Text DecodePercentEscapes(const Text& s) {
  const std::string_view in = s.bytes();
  // Sized once (decoding never grows the text) and filled in one pass. Escapes come every few
  // bytes in real addresses, so testing each byte beats a memchr and an append per escape.
  std::string out(in.size(), '\0');
  char* o = out.data();
  const char* p = in.data();
  const char* const end = p + in.size();
  while (end - p > 2) {
    if (*p == '%') {
      const unsigned value = EscapeValue(p[1], p[2]);
      if (value - 1 < 0xFF) {
        *o++ = static_cast<char>(value);
        p += 3;
        continue;
      }
    }
    *o++ = *p++;  // a plain byte, or a "%" that starts no escape (or "%00"): kept as typed
  }
  while (p < end) *o++ = *p++;  // the last two bytes are too few for an escape
  out.resize(static_cast<std::size_t>(o - out.data()));
  return Text::Adopt(std::move(out));
}

std::string PercentEncode(std::string_view bytes, bool (*keep)(unsigned char byte)) {
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
