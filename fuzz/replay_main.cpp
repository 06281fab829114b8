// Replays saved fuzz inputs through the differential check, so the corpus runs with every test
// build, without clang or libFuzzer. Arguments are files or folders of files.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "fuzz/differential_check.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> InputFiles(const fs::path& path) {
  if (!fs::is_directory(path)) return {path};
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(path)) {
    if (entry.is_regular_file()) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());  // a stable order makes a failure easy to find again
  return files;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s FILE_OR_FOLDER...\n", argv[0]);
    return 2;
  }
  int replayed = 0;
  for (int i = 1; i < argc; ++i) {
    for (const fs::path& file : InputFiles(argv[i])) {
      std::ifstream in(file, std::ios::binary);
      if (!in) {
        std::fprintf(stderr, "cannot read %s\n", file.c_str());
        return 1;
      }
      const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                            std::istreambuf_iterator<char>()};
      std::fprintf(stderr, "%s\n", file.c_str());  // names the input before a failure's report
      veltrano::fuzz::CheckAgainstReference(bytes.data(), bytes.size());
      ++replayed;
    }
  }
  if (replayed == 0) {
    std::fprintf(stderr, "no inputs found: nothing was checked\n");
    return 1;
  }
  std::printf("%d inputs agree with the reference\n", replayed);
  return 0;
}
