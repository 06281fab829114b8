// Percent-escape decoding of a raw download-list entry into the real download address.
#pragma once

#include "text/text.h"

namespace veltrano {

// Each "%" followed by two hexadecimal digits (either case) becomes the byte they name; a "%"
// not followed by two digits is copied as it stands and decoding goes on after it. "%00" stays
// as its three bytes, since a Text holds no zero byte. Every other byte, "+" and the bytes of
// double-byte characters included, is copied. One pass; the output is sized once.
Text DecodePercentEscapes(const Text& s);

}  // namespace veltrano
