#include "fuzz/reference.h"

#include <vector>

namespace veltrano::reference {
namespace {

// Spelled out again rather than taken from the library, so a wrong constant there shows up too.
const std::string kMarker = "g_downUrlList=[";
const std::string kListEnd = "];";
const std::string kHexDigits = "0123456789ABCDEF";

constexpr unsigned char kIdeographicSpaceByte = 0xA1;

Count Size(const std::string& t) { return static_cast<Count>(t.size()); }

// The byte at 1-based position p.
unsigned char At(const std::string& t, Count p) {
  return static_cast<unsigned char>(t[static_cast<std::size_t>(p - 1)]);
}

bool IsHigh(unsigned char byte) { return byte >= 0x80; }

// One character as the stepping reader sees it: a high byte with the byte after it, or one byte.
// A high byte at the very end stands alone and is incomplete.
struct Character {
  std::size_t offset;
  std::size_t width;
  bool complete;
};

std::vector<Character> Characters(const std::string& t) {
  std::vector<Character> characters;
  std::size_t i = 0;
  while (i < t.size()) {
    if (!IsHigh(static_cast<unsigned char>(t[i]))) {
      characters.push_back({i, 1, true});
      i += 1;
    } else if (i + 1 < t.size()) {
      characters.push_back({i, 2, true});
      i += 2;
    } else {
      characters.push_back({i, 1, false});
      i += 1;
    }
  }
  return characters;
}

bool IsSpace(const std::string& t, const Character& c) {
  if (c.width == 1) return t[c.offset] == ' ';
  return static_cast<unsigned char>(t[c.offset]) == kIdeographicSpaceByte &&
         static_cast<unsigned char>(t[c.offset + 1]) == kIdeographicSpaceByte;
}

int DigitValue(char c) {
  const std::string upper = TextUpper(std::string(1, c));
  for (std::size_t k = 0; k < kHexDigits.size(); ++k) {
    if (kHexDigits[k] == upper[0]) return static_cast<int>(k);
  }
  return -1;
}

}  // namespace

std::string BytesToText(const std::string& raw) {
  std::string t;
  for (char byte : raw) {
    if (byte == '\0') break;
    t += byte;
  }
  return t;
}

Count FindText(const std::string& haystack, const std::string& needle) {
  return FindTextFrom(haystack, needle, 1);
}

Count FindTextFrom(const std::string& haystack, const std::string& needle, Count from) {
  const Count length = Size(haystack);
  const Count needle_length = Size(needle);
  if (needle_length == 0) return from >= 1 && from <= length ? from : -1;
  Count candidate = 1;
  Count remaining = length;
  while (remaining >= needle_length) {
    bool equal = true;
    for (Count k = 0; k < needle_length; ++k) {
      if (At(haystack, candidate + k) !=
          static_cast<unsigned char>(needle[static_cast<std::size_t>(k)])) {
        equal = false;
      }
    }
    if (equal && candidate >= from) return candidate;
    if (IsHigh(At(haystack, candidate))) {
      if (candidate == length) return -1;  // the byte after the lead byte is the terminator
      candidate += 2;
      remaining -= 2;
    } else {
      candidate += 1;
      remaining -= 1;
    }
  }
  return -1;
}

std::string TextRight(const std::string& t, Count n) {
  if (n <= 0) return "";
  if (n >= Size(t)) return t;
  std::string out;
  for (Count p = Size(t) - n + 1; p <= Size(t); ++p) out += static_cast<char>(At(t, p));
  return out;
}

std::string TextMid(const std::string& t, Count start, Count n) {
  if (start < 1 || start > Size(t) || n <= 0) return "";
  std::string out;
  for (Count p = start; p <= Size(t) && Size(out) < n; ++p) out += static_cast<char>(At(t, p));
  return out;
}

std::string TextUpper(const std::string& t) {
  std::string out;
  std::size_t i = 0;
  while (i < t.size()) {
    const unsigned char byte = static_cast<unsigned char>(t[i]);
    if (IsHigh(byte)) {
      out += t.substr(i, 2);
      i += 2;
    } else {
      out += static_cast<char>(byte >= 'a' && byte <= 'z' ? byte - 0x20 : byte);
      i += 1;
    }
  }
  return out;
}

std::string TextFromByte(Count code) {
  const Count low = (code % 256 + 256) % 256;  // modulo 256 the way arithmetic defines it
  if (low == 0) return "";
  return std::string(1, static_cast<char>(low));
}

std::string TrimBothEnds(const std::string& t) {
  const std::vector<Character> characters = Characters(t);
  std::size_t first = 0;
  while (first < characters.size() && IsSpace(t, characters[first])) ++first;
  std::size_t last = characters.size();  // one past the last character kept
  if (last > first && !characters[last - 1].complete) {
    --last;  // a lone lead byte at the end goes, the spaces before it stay
  } else {
    while (last > first && IsSpace(t, characters[last - 1])) --last;
  }
  if (first == last) return "";
  const Character& end = characters[last - 1];
  return t.substr(characters[first].offset, end.offset + end.width - characters[first].offset);
}

std::string ConcatText(const std::string& a, const std::string& b) {
  std::string out;
  for (char byte : a) out += byte;
  for (char byte : b) out += byte;
  return out;
}

std::optional<std::string> FirstListEntry(const std::string& page) {
  const Count marker_at = FindText(page, kMarker);
  if (marker_at == -1) return std::nullopt;
  const std::string after_marker = TextMid(page, marker_at + Size(kMarker), Size(page));
  const Count end_at = FindText(after_marker, kListEnd);
  if (end_at == -1) return "";
  const std::string body = TextMid(after_marker, 1, end_at - 1);
  if (body.empty()) return "";
  const char quote = body[0];
  if (quote == '"' || quote == '\'') {
    for (Count p = 2; p <= Size(body); ++p) {
      if (At(body, p) == static_cast<unsigned char>(quote)) return TextMid(body, 2, p - 2);
    }
  }
  return TextMid(body, 2, Size(body) - 2);
}

std::string DecodePercentEscapes(const std::string& s) {
  std::string out;
  std::size_t i = 0;
  while (i < s.size()) {
    if (s[i] == '%' && i + 2 < s.size()) {
      const int high = DigitValue(s[i + 1]);
      const int low = DigitValue(s[i + 2]);
      if (high >= 0 && low >= 0 && high * 16 + low != 0) {
        out += static_cast<char>(high * 16 + low);
        i += 3;
        continue;
      }
    }
    out += s[i];  // a plain byte, or a "%" that starts no escape
    i += 1;
  }
  return out;
}

}  // namespace veltrano::reference
