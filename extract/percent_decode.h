// Percent escapes: decoding a raw download-list entry into the real download address, and the
// encoding the fetch and the search use for bytes that cannot stand in an address as typed.
#pragma once

#include <string>
#include <string_view>

#include "text/text.h"

namespace veltrano {

// Each "%" followed by two hexadecimal digits (either case) becomes the byte they name; a "%"
// not followed by two digits is copied as it stands and decoding goes on after it. "%00" stays
// as its three bytes, since a Text holds no zero byte. Every other byte, "+" and the bytes of
// double-byte characters included, is copied. One pass; the output is sized once.
Text DecodePercentEscapes(const Text& s);

// `bytes` with every byte for which keep(byte) is false written as "%XX" (capital hex digits).
std::string PercentEncode(std::string_view bytes, bool (*keep)(unsigned char byte));

}  // namespace veltrano
