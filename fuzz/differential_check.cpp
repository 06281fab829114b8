#include "fuzz/differential_check.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "extract/list_entry.h"
#include "extract/percent_decode.h"
#include "fuzz/reference.h"
#include "text/text.h"

namespace veltrano::fuzz {
namespace {

constexpr std::size_t kNumberCount = 3;
constexpr std::uint8_t kFirstSmallSelector = 0x10;
constexpr std::uint8_t kRawNumberSelector = 0xFF;
constexpr Count kSmallNumberBias = 0x80;

// Values where a wrong width, sign or overflow check would show.
constexpr std::array<Count, kFirstSmallSelector> kExtremes = {
    std::numeric_limits<Count>::min(),
    std::numeric_limits<Count>::min() + 1,
    std::numeric_limits<Count>::max(),
    std::numeric_limits<Count>::max() - 1,
    std::numeric_limits<std::int32_t>::min(),
    Count{std::numeric_limits<std::int32_t>::min()} - 1,
    std::numeric_limits<std::int32_t>::max(),
    Count{std::numeric_limits<std::int32_t>::max()} + 1,
    Count{std::numeric_limits<std::uint32_t>::max()},
    -Count{std::numeric_limits<std::uint32_t>::max()},
    Count{1} << 32,
    255,
    256,
    257,
    -255,
    -256,
};

class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

  Count Number() {
    const std::uint8_t selector = Byte();
    if (selector < kFirstSmallSelector) return kExtremes[selector];
    if (selector != kRawNumberSelector) return Count{selector} - kSmallNumberBias;
    std::uint64_t raw = 0;
    for (int shift = 0; shift < 64; shift += 8) raw |= std::uint64_t{Byte()} << shift;
    return static_cast<Count>(raw);
  }

  std::string Take(std::size_t n) {
    const std::size_t taken = std::min(n, size_ - at_);
    std::string bytes(reinterpret_cast<const char*>(data_ + at_), taken);
    at_ += taken;
    return bytes;
  }

  std::string Rest() { return Take(size_ - at_); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

struct FuzzInput {
  std::array<Count, kNumberCount> numbers{};
  Bytes needle;
  Bytes haystack;
};

FuzzInput Split(const std::uint8_t* data, std::size_t size) {
  ByteReader reader(data, size);
  FuzzInput input;
  const std::size_t needle_length = reader.Byte();
  for (Count& number : input.numbers) number = reader.Number();
  input.needle = reader.Take(needle_length);
  input.haystack = reader.Rest();
  return input;
}

std::string Escaped(std::string_view bytes) {
  std::string out;
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
      out += c;
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      out += hex;
    }
  }
  return out;
}

std::string Shown(const std::optional<std::string>& value) {
  return value ? "\"" + Escaped(*value) + "\"" : "(no list)";
}

std::optional<std::string> BytesOf(const std::optional<Text>& value) {
  if (!value) return std::nullopt;
  return std::string(value->bytes());
}

// Compares results and aborts with the whole input on the first difference.
class Checker {
 public:
  explicit Checker(const FuzzInput& input) : input_(input) {}

  void Equal(const char* operation, const Text& got, const std::string& expected) const {
    Equal(operation, std::optional<std::string>(got.bytes()), std::optional(expected));
  }

  void Equal(const char* operation, Count got, Count expected) const {
    if (got != expected) Fail(operation, std::to_string(got), std::to_string(expected));
  }

  void Equal(const char* operation, const std::optional<std::string>& got,
             const std::optional<std::string>& expected) const {
    if (got != expected) Fail(operation, Shown(got), Shown(expected));
  }

 private:
  [[noreturn]] void Fail(const char* operation, const std::string& got,
                         const std::string& expected) const {
    std::fprintf(stderr,
                 "differential check failed: %s\n  haystack: \"%s\"\n  needle:   \"%s\"\n"
                 "  numbers:  %lld %lld %lld\n  got:      %s\n  expected: %s\n",
                 operation, Escaped(input_.haystack).c_str(), Escaped(input_.needle).c_str(),
                 static_cast<long long>(input_.numbers[0]),
                 static_cast<long long>(input_.numbers[1]),
                 static_cast<long long>(input_.numbers[2]), got.c_str(), expected.c_str());
    std::abort();
  }

  const FuzzInput& input_;
};

// A copy of bytes in a buffer of exactly their size, so the address sanitizer reports any read
// past either end (a Text's own buffer always has a zero byte and often spare room after it).
class ExactCopy {
 public:
  explicit ExactCopy(std::string_view bytes)
      : size_(bytes.size()), bytes_(std::make_unique_for_overwrite<char[]>(size_)) {
    bytes.copy(bytes_.get(), size_);
  }
  std::string_view view() const { return {bytes_.get(), size_}; }

 private:
  std::size_t size_;
  std::unique_ptr<char[]> bytes_;
};

Count Offset(std::size_t at) { return at == std::string_view::npos ? -1 : static_cast<Count>(at); }

// resume_at picks where a second search starts inside the haystack, the way the streaming cut
// resumes its search in the next piece of a page.
void CheckSearch(const Checker& check, const Text& haystack, const Text& needle, Count resume_at) {
  const std::string h(haystack.bytes());
  const std::string n(needle.bytes());
  const ExactCopy exact_needle(n);
  const Count expected = reference::FindText(h, n);
  check.Equal("FindText", FindText(haystack, needle), expected);
  check.Equal("FindCharacterAligned",
              Offset(FindCharacterAligned(ExactCopy(h).view(), exact_needle.view())),
              expected == -1 ? -1 : expected - 1);

  const std::size_t k = static_cast<std::uint64_t>(resume_at) % (h.size() + 1);
  const Count resumed = reference::FindTextFrom(h, n, static_cast<Count>(k) + 1);
  check.Equal("FindCharacterAligned resumed",
              Offset(FindCharacterAligned(ExactCopy(std::string_view(h).substr(k)).view(),
                                          exact_needle.view(), HighByteRunBefore(h, k))),
              resumed == -1 ? -1 : resumed - 1 - static_cast<Count>(k));
}

// The cut of a whole page, and of the same page fed in pieces of 1 to 16 bytes (sizes taken from
// the numbers in turn) as the converter feeds it while the page arrives. One scanner stops when
// it says the result is settled; the other is fed every piece, which it must ignore.
void CheckCut(const Checker& check, const Bytes& raw_page,
              const std::array<Count, kNumberCount>& numbers) {
  const Text page = BytesToText(raw_page);
  const std::optional<std::string> expected =
      reference::FirstListEntry(reference::BytesToText(raw_page));
  const std::optional<Text> entry = FindFirstListEntry(page);
  check.Equal("FindFirstListEntry", BytesOf(entry), expected);
  check.Equal("ExtractFirstListEntry", ExtractFirstListEntry(page), expected.value_or(""));
  if (entry) {
    check.Equal("DecodePercentEscapes of the entry", DecodePercentEscapes(*entry),
                reference::DecodePercentEscapes(*expected));
  }

  ListEntryScanner stopping;
  ListEntryScanner fed_everything;
  bool wants_more = true;
  std::size_t at = 0;
  for (std::size_t piece = 0; at < raw_page.size(); ++piece) {
    const std::uint64_t choice = static_cast<std::uint64_t>(numbers[piece % numbers.size()]);
    const std::size_t size = std::min<std::size_t>(1 + choice % 16, raw_page.size() - at);
    const ExactCopy chunk(std::string_view(raw_page).substr(at, size));
    if (wants_more) wants_more = stopping.Feed(chunk.view());
    fed_everything.Feed(chunk.view());
    at += size;
  }
  check.Equal("ListEntryScanner", BytesOf(stopping.Finish()), expected);
  check.Equal("ListEntryScanner fed past its end", BytesOf(fed_everything.Finish()), expected);
}

}  // namespace

void CheckAgainstReference(const std::uint8_t* data, std::size_t size) {
  const FuzzInput input = Split(data, size);
  const Checker check(input);
  const auto [a, b, c] = input.numbers;

  const std::string h = reference::BytesToText(input.haystack);
  const std::string n = reference::BytesToText(input.needle);
  const Text haystack = BytesToText(input.haystack);
  const Text needle = BytesToText(input.needle);
  check.Equal("BytesToText", haystack, h);
  check.Equal("BytesToText", needle, n);
  Bytes moved = input.haystack;
  check.Equal("BytesToText(Bytes&&)", BytesToText(std::move(moved)), h);

  check.Equal("TextLength", TextLength(haystack), static_cast<Count>(h.size()));
  check.Equal("TextRight", TextRight(haystack, a), reference::TextRight(h, a));
  check.Equal("TextRight", TextRight(haystack, c), reference::TextRight(h, c));
  const Text piece = TextMid(haystack, a, b);
  check.Equal("TextMid", piece, reference::TextMid(h, a, b));
  check.Equal("TextMid", TextMid(haystack, b, c), reference::TextMid(h, b, c));
  check.Equal("TextUpper", TextUpper(haystack), reference::TextUpper(h));
  check.Equal("TrimBothEnds", TrimBothEnds(haystack), reference::TrimBothEnds(h));
  check.Equal("TrimBothEnds", TrimBothEnds(needle), reference::TrimBothEnds(n));
  check.Equal("ConcatText", ConcatText(haystack, needle), reference::ConcatText(h, n));
  for (const Count code : input.numbers) {
    check.Equal("TextFromByte", TextFromByte(code), reference::TextFromByte(code));
  }

  CheckSearch(check, haystack, needle, c);
  // A needle cut out of the haystack itself is found far more often than an arbitrary one, which
  // is where the character alignment of a match gets tested.
  CheckSearch(check, haystack, piece, c);

  CheckCut(check, input.haystack, input.numbers);
  // With the marker put in, every input reaches the list-body shapes.
  CheckCut(check, input.needle + kListMarker + input.haystack, input.numbers);

  check.Equal("DecodePercentEscapes", DecodePercentEscapes(haystack),
              reference::DecodePercentEscapes(h));
  check.Equal("DecodePercentEscapes", DecodePercentEscapes(needle),
              reference::DecodePercentEscapes(n));
}

}  // namespace veltrano::fuzz
