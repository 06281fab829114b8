// A deliberately plain second implementation of the text operations, the list-entry cut and the
// decoder, for differential fuzzing. Every function steps through bytes one at a time exactly as
// the algorithm reads, with no library search and no shortcut, so that it is easy to check by
// eye; speed does not matter here.
//
// Texts are std::strings holding no zero byte; positions are 1-based, -1 means "not found".
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace veltrano::reference {

using Count = std::int64_t;

// The bytes of raw before its first zero byte.
std::string BytesToText(const std::string& raw);

// Walks candidates from position 1, a byte 0x80 or above taking the next byte along.
Count FindText(const std::string& haystack, const std::string& needle);
// The same walk, taking only a match at position from or later; the empty needle is found at
// from when from is inside haystack.
Count FindTextFrom(const std::string& haystack, const std::string& needle, Count from);
std::string TextRight(const std::string& t, Count n);
std::string TextMid(const std::string& t, Count start, Count n);
std::string TextUpper(const std::string& t);
std::string TextFromByte(Count code);
std::string TrimBothEnds(const std::string& t);
std::string ConcatText(const std::string& a, const std::string& b);

// The first download-list entry, or nullopt when the page has no character-aligned marker.
std::optional<std::string> FirstListEntry(const std::string& page);

std::string DecodePercentEscapes(const std::string& s);

}  // namespace veltrano::reference
