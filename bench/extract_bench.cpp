// Throughput of the marker search, the list-entry cut and the decoder over 100 MB inputs, with
// glibc memmem over the same page as the floor to compare against.
//
// The page is generated once: HTML-like ASCII with about one byte in six part of a GBK
// double-byte character, and the download list a few kilobytes before the end. The cut also
// reports how many bytes it allocated, counted by the replaced operator new below, to show that
// it copies the entry and never the page.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "extract/list_entry.h"
#include "extract/percent_decode.h"
#include "text/text.h"

namespace {

std::atomic<bool> counting_allocations{false};
std::atomic<std::size_t> allocated_bytes{0};

}  // namespace

void* operator new(std::size_t size) {
  if (counting_allocations.load(std::memory_order_relaxed)) {
    allocated_bytes.fetch_add(size, std::memory_order_relaxed);
  }
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc();
}

void operator delete(void* block) noexcept { std::free(block); }

void operator delete(void* block, std::size_t) noexcept { std::free(block); }

namespace {

using veltrano::Text;

constexpr std::size_t kInputBytes = 100'000'000;
constexpr std::size_t kListBeforeEnd = 4'000;  // the list sits this far before the page's end
constexpr std::uint64_t kSeed = 20240611;
constexpr int kKeepFreedBlocksUpTo = 1 << 30;

constexpr std::string_view kEntry =
    "ftp%3A%2F%2Fuser%3Apass%40files.example.net%3A8080%2F%E7%A4%BA%E4%BE%8B%E5%BD%B1%E7%89%87"
    ".BD.1080p.%E5%9B%BD%E8%8B%B1%E5%8F%8C%E8%AF%AD.mkv";

// One GB2312 character: both bytes in 0xA1-0xFE, lead bytes from the hanzi rows.
void AppendDoubleByteCharacter(std::string& out, std::mt19937_64& random) {
  out += static_cast<char>(0xB0 + random() % 0x48);
  out += static_cast<char>(0xA1 + random() % 0x5E);
}

// Markup with Chinese captions between the tags, the way film listing pages look.
std::string GeneratePage() {
  static constexpr std::string_view kMarkup[] = {
      "<li><a href=\"/film/2024/06/65432.html\" class=\"title\">",
      "</a><span class=\"date\">2024-06-11</span></li>\n",
      "<td height=\"26\" style=\"padding-left:12px\">",
      "<div class=\"list\"><ul>",
      "<p><font color=\"#555555\">",
      "</font></p>\n",
      "<img src=\"/images/poster/2024/0611.jpg\" alt=\"",
      "\" width=\"120\" height=\"160\" />",
      "<script type=\"text/javascript\">var page_protocol = 'https:';</script>\n",
  };
  std::mt19937_64 random(kSeed);
  std::string page;
  page.reserve(kInputBytes + 1024);
  std::size_t double_bytes = 0;
  const auto fill_to = [&](std::size_t size) {
    while (page.size() < size) {
      page += kMarkup[random() % std::size(kMarkup)];
      while (double_bytes * 6 < page.size()) {
        AppendDoubleByteCharacter(page, random);
        double_bytes += 2;
      }
    }
  };
  fill_to(kInputBytes - kListBeforeEnd);
  page += "<script>var ";
  page += veltrano::kListMarker;
  page += '"';
  page += kEntry;
  page += "\",\"ftp%3A%2F%2Fother\"];</script>\n";
  fill_to(kInputBytes);
  page.resize(kInputBytes);
  return page;
}

// Mostly escapes of UTF-8 Chinese characters and separators, with short ASCII runs between.
std::string GenerateEncodedText() {
  static constexpr std::string_view kAscii =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789.-_";
  static constexpr std::string_view kSeparators[] = {"%2F", "%3A", "%20", "%40", "%2f", "%5B"};
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::mt19937_64 random(kSeed + 1);
  std::string text;
  text.reserve(kInputBytes + 64);
  const auto append_escape = [&](unsigned byte) {
    text += '%';
    text += kHex[byte >> 4];
    text += kHex[byte & 0xF];
  };
  while (text.size() < kInputBytes) {
    const auto pick = random() % 10;
    if (pick < 5) {
      append_escape(0xE4 + static_cast<unsigned>(random() % 6));  // a three-byte character
      append_escape(0x80 + static_cast<unsigned>(random() % 0x40));
      append_escape(0x80 + static_cast<unsigned>(random() % 0x40));
    } else if (pick < 7) {
      text += kSeparators[random() % std::size(kSeparators)];
    } else {
      for (auto n = 1 + random() % 6; n > 0; --n) text += kAscii[random() % kAscii.size()];
    }
  }
  text.resize(kInputBytes);
  return text;
}

const Text& Page() {
  static const Text page(GeneratePage());
  return page;
}

const Text& EncodedText() {
  static const Text text(GenerateEncodedText());
  return text;
}

void SetBytes(benchmark::State& state, const Text& input) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * TextLength(input));
}

// Each benchmark takes its input before its loop: the first call generates it, untimed.

void BM_MemmemMarker(benchmark::State& state) {
  const Text& page = Page();
  const std::string_view marker(veltrano::kListMarker);
  for (auto _ : state) {
    const void* hit = memmem(page.c_str(), page.bytes().size(), marker.data(), marker.size());
    benchmark::DoNotOptimize(hit);
  }
  SetBytes(state, page);
}

void BM_FindTextMarker(benchmark::State& state) {
  const Text& page = Page();
  const Text marker(veltrano::kListMarker);
  const auto expected = static_cast<veltrano::Count>(page.bytes().find(marker.bytes()) + 1);
  for (auto _ : state) {
    const veltrano::Count at = veltrano::FindText(page, marker);
    if (at != expected) state.SkipWithError("FindText missed the marker");
    benchmark::DoNotOptimize(at);
  }
  SetBytes(state, page);
}

void BM_FindFirstListEntry(benchmark::State& state) {
  const Text& page = Page();
  const Text expected(kEntry);
  allocated_bytes = 0;
  counting_allocations = true;
  for (auto _ : state) {
    const std::optional<Text> entry = veltrano::FindFirstListEntry(page);
    if (entry != expected) state.SkipWithError("the cut gave the wrong entry");
    benchmark::DoNotOptimize(entry);
  }
  counting_allocations = false;
  state.counters["allocated_bytes_per_cut"] = benchmark::Counter(
      static_cast<double>(allocated_bytes.load()), benchmark::Counter::kAvgIterations);
  state.counters["entry_bytes"] = static_cast<double>(kEntry.size());
  SetBytes(state, page);
}

void BM_DecodePercentEscapes(benchmark::State& state) {
  const Text& encoded = EncodedText();
  for (auto _ : state) {
    const Text decoded = veltrano::DecodePercentEscapes(encoded);
    benchmark::DoNotOptimize(decoded);
  }
  SetBytes(state, encoded);
}

BENCHMARK(BM_MemmemMarker)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindTextMarker)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindFirstListEntry)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodePercentEscapes)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Every decode returns a fresh 100 MB Text, and on a virtual machine that hands freed pages
  // back to its host the first touch of fresh memory can cost more than the decoding itself
  // (about 3 ns a byte was seen). Freed blocks are kept for reuse instead, so the figures
  // measure the code and not the page faults.
  mallopt(M_MMAP_THRESHOLD, kKeepFreedBlocksUpTo);
  mallopt(M_TRIM_THRESHOLD, kKeepFreedBlocksUpTo);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
