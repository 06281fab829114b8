#include "shell/actions.h"

#include <QApplication>
#include <string>
#include <string_view>

#include "extract/list_entry.h"
#include "extract/percent_decode.h"
#include "shell/control_access.h"
#include "shell/main_window.h"

namespace veltrano {
namespace {

constexpr std::string_view kSearchPath = "/search?search=";
constexpr std::string_view kSearchSuffix = "&id=1";
constexpr std::string_view kKeptAsTyped = "-._~!$'()*,;:@/?=[]";

bool KeptAsTyped(unsigned char byte) {
  return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
         (byte >= '0' && byte <= '9') ||
         kKeptAsTyped.find(static_cast<char>(byte)) != std::string_view::npos;
}

// The window takes no input while the fetch blocks it; the pointer says so until the action
// ends, however it ends.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

Text SearchAddressFor(const Text& keyword) {
  const std::string encoded = PercentEncode(TrimBothEnds(keyword).bytes(), KeptAsTyped);
  return ConcatText({"http://", kSearchHost, kSearchPath, encoded, kSearchSuffix});
}

void ConvertPageAddress(MainWindow& window) {
  const BusyCursor busy;
  const Text typed = GetEditText(window.PageAddressBox());
  SetBrowserAddress(window.Browser(), typed);
  const Text address = GetEditText(window.PageAddressBox());
  SetEditText(window.PageAddressBox(), FetchListEntry(address));
  const Text entry = GetEditText(window.PageAddressBox());
  SetEditText(window.ResultBox(), DecodePercentEscapes(entry));
}

void SearchKeyword(MainWindow& window) {
  SetBrowserAddress(window.Browser(), SearchAddressFor(GetEditText(window.KeywordBox())));
}

}  // namespace veltrano
