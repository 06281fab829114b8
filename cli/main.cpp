// veltrano-convert: prints the real download address of each film page given, one per line.
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/locale_output.h"
#include "cli/ordered_jobs.h"
#include "cli/page_conversion.h"

namespace {

constexpr const char* kProgram = "veltrano-convert";
constexpr std::size_t kDefaultJobs = 4;
constexpr std::size_t kMaxJobs = 64;
constexpr int kExitSuccess = 0;
constexpr int kExitSomeFailed = 1;  // also when the output could not be written
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "Usage: veltrano-convert [OPTIONS] [PAGE_ADDRESS...]\n"
    "Print the real download address of each film page, one line per page, in the order given.\n"
    "The page is fetched and the first entry of its download list (g_downUrlList) is\n"
    "percent-decoded. With no PAGE_ADDRESS, each non-empty line of standard input is one.\n"
    "\n"
    "Options:\n"
    "  --raw        print the entry as it stands in the page, without decoding it\n"
    "  --bytes      print the bytes exactly as found (GBK), without converting them to the\n"
    "               locale's encoding\n"
    "  --jobs N     fetch up to N pages at once (default 4, at most 64)\n"
    "  --help       show this help and exit\n"
    "  --version    show the version and exit\n"
    "\n"
    "A page that gives no address prints an empty line, and a line on standard error names\n"
    "the page and the reason. Exit status: 0 when every page gave an address, 1 when any gave\n"
    "none, 2 for a usage error.\n";

struct Options {
  bool raw = false;
  bool bytes = false;
  std::size_t jobs = kDefaultJobs;
  std::vector<std::string> addresses;
};

int UsageError(const std::string& message) {
  std::cerr << kProgram << ": " << message << "\nTry '" << kProgram << " --help'.\n";
  return kExitUsage;
}

bool ParseJobs(const std::string& text, std::size_t& jobs) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  if (text.size() > 3) return false;
  jobs = std::stoul(text);
  return jobs >= 1 && jobs <= kMaxJobs;
}

// Returns an exit status when the program should stop right away.
std::optional<int> ParseArguments(int argc, char** argv, Options& options) {
  bool only_addresses = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (only_addresses || arg.empty() || arg[0] != '-') {
      options.addresses.push_back(arg);
    } else if (arg == "--") {
      only_addresses = true;
    } else if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return kExitSuccess;
    } else if (arg == "--version") {
      std::cout << kProgram << " " << VELTRANO_VERSION << "\n";
      return kExitSuccess;
    } else if (arg == "--raw") {
      options.raw = true;
    } else if (arg == "--bytes") {
      options.bytes = true;
    } else if (arg == "--jobs" || arg.rfind("--jobs=", 0) == 0) {
      std::string value;
      if (arg == "--jobs") {
        if (i + 1 == argc) return UsageError("--jobs needs a number");
        value = argv[++i];
      } else {
        value = arg.substr(7);
      }
      if (!ParseJobs(value, options.jobs)) {
        return UsageError("--jobs takes a whole number from 1 to " + std::to_string(kMaxJobs) +
                          ", not '" + value + "'");
      }
    } else {
      return UsageError("unknown option '" + arg + "'");
    }
  }
  return std::nullopt;
}

std::vector<std::string> ReadAddressLines(std::istream& in) {
  std::vector<std::string> addresses;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) addresses.push_back(line);
  }
  return addresses;
}

int Run(int argc, char** argv) {
  Options options;
  if (const std::optional<int> status = ParseArguments(argc, argv, options)) return *status;
  if (options.addresses.empty()) options.addresses = ReadAddressLines(std::cin);

  const std::string codeset = veltrano::OutputCodeset();
  bool all_converted = true;
  veltrano::RunInOrder<veltrano::PageConversion>(
      options.addresses.size(), options.jobs,
      [&](std::size_t i) {
        return veltrano::ConvertPage(veltrano::Text(options.addresses[i]), options.raw);
      },
      [&](std::size_t i, veltrano::PageConversion& page) {
        if (!page.failure.empty()) {
          all_converted = false;
          std::cerr << kProgram << ": " << options.addresses[i] << ": " << page.failure << "\n";
        }
        const std::string_view address = page.address.bytes();
        std::cout << (options.bytes ? std::string(address)
                                    : veltrano::ConvertGbkTo(address, codeset))
                  << '\n'
                  << std::flush;
      });
  return all_converted ? kExitSuccess : kExitSomeFailed;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  const int status = Run(argc, argv);
  // A script must not take lost output (a full disk, say) for success.
  if (!std::cout.flush()) {
    std::cerr << kProgram << ": could not write the output\n";
    return status == kExitSuccess ? kExitSomeFailed : status;
  }
  return status;
}
