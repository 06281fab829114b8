#include "text/text.h"

#include <algorithm>
#include <cstring>

namespace veltrano {
namespace {

constexpr unsigned char kFirstDoubleByte = 0x80;
constexpr unsigned char kIdeographicSpaceByte = 0xA1;

bool IsLeadByte(char c) { return static_cast<unsigned char>(c) >= kFirstDoubleByte; }

}  // namespace

Text::Text(const char* bytes) : bytes_(bytes == nullptr ? "" : bytes) {}

Text::Text(std::string_view bytes)
    : bytes_(bytes.substr(0, std::min(bytes.find('\0'), bytes.size()))) {}

Text Text::Adopt(std::string&& bytes) {
  Text t;
  t.bytes_ = std::move(bytes);
  t.bytes_.resize(std::strlen(t.bytes_.c_str()));
  return t;
}

Count TextLength(const Text& t) { return static_cast<Count>(t.bytes().size()); }

std::size_t HighByteRunBefore(std::string_view bytes, std::size_t end, std::size_t run_before) {
  std::size_t start = end;
  while (start > 0 && IsLeadByte(bytes[start - 1])) --start;
  return start == 0 ? end + run_before : end - start;
}

// memmem finds every byte-exact match quickly; a match only counts where the stepping reader
// would stand on it. The byte after any byte below 0x80 always starts a character, so a
// candidate starts one exactly when the run of high bytes just before it has even length.
// Runs are measured incrementally (never rescanning bytes before the previous candidate), which
// keeps the whole search linear even in long runs of high bytes.
std::size_t FindCharacterAligned(std::string_view haystack, std::string_view needle,
                                 std::size_t high_run_before) {
  if (needle.empty()) return haystack.empty() ? std::string_view::npos : 0;
  std::size_t from = 0;
  std::size_t scanned_to = 0;                    // bytes before this offset were already measured
  std::size_t run_at_scanned = high_run_before;  // high-byte run length ending at scanned_to
  while (from + needle.size() <= haystack.size()) {
    const void* hit =
        memmem(haystack.data() + from, haystack.size() - from, needle.data(), needle.size());
    if (hit == nullptr) return std::string_view::npos;
    const auto at = static_cast<std::size_t>(static_cast<const char*>(hit) - haystack.data());
    const std::size_t run =
        HighByteRunBefore(haystack.substr(scanned_to), at - scanned_to, run_at_scanned);
    if (run % 2 == 0) return at;
    scanned_to = at;
    run_at_scanned = run;
    from = at + 1;
  }
  return std::string_view::npos;
}

Count FindText(const Text& haystack, const Text& needle) {
  const std::size_t at = FindCharacterAligned(haystack.bytes(), needle.bytes());
  return at == std::string_view::npos ? -1 : static_cast<Count>(at) + 1;
}

Text TextRight(const Text& t, Count n) {
  if (n <= 0) return {};
  if (n >= TextLength(t)) return t;
  return Text(t.bytes().substr(t.bytes().size() - static_cast<std::size_t>(n)));
}

Text TextMid(const Text& t, Count start, Count n) {
  const Count length = TextLength(t);
  if (start < 1 || start > length || n <= 0) return {};
  const Count available = length - start + 1;  // start <= length, so no overflow
  const Count take = n < available ? n : available;
  return Text(
      t.bytes().substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(take)));
}

Text TextUpper(const Text& t) {
  std::string out(t.bytes());
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (IsLeadByte(out[i])) {
      ++i;  // the second byte belongs to the character and is never a letter of its own
    } else if (out[i] >= 'a' && out[i] <= 'z') {
      out[i] = static_cast<char>(out[i] - ('a' - 'A'));
    }
  }
  return Text::Adopt(std::move(out));
}

Text TextFromByte(Count code) {
  const char byte = static_cast<char>(static_cast<unsigned char>(code & 0xFF));
  return Text(std::string_view(&byte, 1));
}

Text TrimBothEnds(const Text& t) {
  const std::string_view s = t.bytes();
  auto space_at = [s](std::size_t i) -> std::size_t {  // bytes of the space at i, or 0
    if (s[i] == ' ') return 1;
    if (static_cast<unsigned char>(s[i]) == kIdeographicSpaceByte && i + 1 < s.size() &&
        static_cast<unsigned char>(s[i + 1]) == kIdeographicSpaceByte) {
      return 2;
    }
    return 0;
  };
  std::size_t begin = 0;
  while (begin < s.size()) {
    const std::size_t width = space_at(begin);
    if (width == 0) break;
    begin += width;
  }
  std::size_t end = begin;  // one past the last character that is not a space
  for (std::size_t i = begin; i < s.size();) {
    if (IsLeadByte(s[i]) && i + 1 == s.size()) return Text(s.substr(begin, i - begin));
    const std::size_t width = space_at(i);
    if (width != 0) {
      i += width;
    } else {
      i += IsLeadByte(s[i]) ? 2u : 1u;
      end = i;
    }
  }
  return Text(s.substr(begin, end - begin));
}

Text ConcatText(std::initializer_list<std::string_view> parts) {
  std::size_t size = 0;
  for (std::string_view part : parts) size += part.size();
  std::string out;
  out.reserve(size);
  for (std::string_view part : parts) out.append(part);
  return Text::Adopt(std::move(out));
}

Text BytesToText(const Bytes& b) { return Text(std::string_view(b)); }

Text BytesToText(Bytes&& b) { return Text::Adopt(std::move(b)); }

}  // namespace veltrano
