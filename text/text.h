// Text: the byte strings every action works on, and their nine operations.
//
// A Text holds bytes in the GBK double-byte code page and never a zero byte. The empty Text and
// a missing Text are the same value. Positions are 1-based byte positions, lengths and counts
// are byte counts; -1 means "not found". Counts and positions may be any 64-bit value: out of
// range values have defined results and never overflow or read outside the bytes.
//
// A byte 0x80 or above starts a two-byte character and takes the next byte along. FindText,
// TextUpper and TrimBothEnds step over such pairs as one character; TextLength, TextRight and
// TextMid count single bytes and may split a pair.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace veltrano {

// A byte position or count. Wide enough that start + n never overflows for real Texts.
using Count = std::int64_t;

// A counted byte sequence that may hold zero bytes: the body of a fetch.
using Bytes = std::string;

class Text {
 public:
  Text() = default;
  // The bytes of a C string up to its zero byte; nullptr gives the empty Text.
  Text(const char* bytes);  // NOLINT(google-explicit-constructor): literals read naturally
  // The bytes of `bytes` before its first zero byte.
  explicit Text(std::string_view bytes);
  // Takes over `bytes` without copying, cut at its first zero byte.
  static Text Adopt(std::string&& bytes);

  std::string_view bytes() const { return bytes_; }
  // Zero-terminated, for C interfaces; valid while the Text lives and is unchanged.
  const char* c_str() const { return bytes_.c_str(); }
  bool empty() const { return bytes_.empty(); }

  friend bool operator==(const Text&, const Text&) = default;

 private:
  std::string bytes_;
};

// Number of bytes of t (0 for the empty Text).
Count TextLength(const Text& t);

// 1-based position of the first occurrence of needle in haystack that starts a character, or -1.
// The empty needle is found at 1 in a non-empty haystack and not at all in the empty one.
// Bytes compare exactly (case matters). Linear in the haystack's length for every input.
Count FindText(const Text& haystack, const Text& needle);
// The same search over raw bytes, for callers that hold a slice of a Text (no copy needed).
// Returns a 0-based offset into haystack, or std::string_view::npos. high_run_before is the
// length of the run of bytes 0x80 or above just before haystack (only its parity matters), so a
// search can resume in the middle of a longer text with the right alignment; the empty needle
// is found at 0 in any non-empty haystack.
std::size_t FindCharacterAligned(std::string_view haystack, std::string_view needle,
                                 std::size_t high_run_before = 0);

// Length of the run of bytes 0x80 or above that ends just before offset end of bytes. When the
// run reaches back to the start of bytes, the run_before bytes of such a run that precede bytes
// count too. Requires end <= bytes.size().
std::size_t HighByteRunBefore(std::string_view bytes, std::size_t end, std::size_t run_before = 0);

// The last n bytes of t: empty when n <= 0, all of t when n >= TextLength(t).
Text TextRight(const Text& t, Count n);

// n bytes of t from position start, or up to the end of t when that comes first.
// Empty when start < 1, start > TextLength(t) or n <= 0.
Text TextMid(const Text& t, Count start, Count n);

// t with the ASCII letters a-z made capital; the two bytes of a double-byte character are copied
// unexamined.
Text TextUpper(const Text& t);

// The one-byte Text of code's low eight bits (two's complement); empty when that byte is zero.
Text TextFromByte(Count code);

// t without its leading and trailing ASCII spaces (0x20) and ideographic spaces (0xA1 0xA1).
// Tabs, line breaks and every other byte stay. A lone lead byte at the very end is dropped and
// the spaces before it stay.
Text TrimBothEnds(const Text& t);

// The bytes of every argument in order.
Text ConcatText(std::initializer_list<std::string_view> parts);
template <typename... Texts>
Text ConcatText(const Text& first, const Texts&... rest) {
  return ConcatText({first.bytes(), rest.bytes()...});
}

// The Text that b holds: its bytes before the first zero byte; empty Bytes give the empty Text.
// The rvalue overload reuses b's buffer instead of copying it.
Text BytesToText(const Bytes& b);
Text BytesToText(Bytes&& b);

}  // namespace veltrano
