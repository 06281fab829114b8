// The differential check shared by the libFuzzer target and the corpus replay: the text
// operations, the character-aligned search (also resumed mid-text), the list-entry cut (whole and
// streamed in pieces) and the decoder against the plain reference in reference.h.
//
// The input bytes are read as: one byte giving the needle's length, three numbers, the needle,
// and the rest as the haystack (both may hold zero bytes, which BytesToText cuts at). A number is
// one selector byte: below 0x10 it picks an extreme (INT64_MIN, INT_MAX + 1, ...), 0xFF takes the
// next eight bytes as a little-endian value, anything else is the selector minus 0x80. Missing
// bytes read as zero, so every input is valid.
#pragma once

#include <cstddef>
#include <cstdint>

namespace veltrano::fuzz {

// Runs every comparison on one input; on the first disagreement prints the operation, the input
// and both results to stderr and aborts.
void CheckAgainstReference(const std::uint8_t* data, std::size_t size);

}  // namespace veltrano::fuzz
