// The two actions bound to the window's buttons. Each runs from start to end on the event-loop
// thread and reaches the controls only through the control access.
#pragma once

#include "text/text.h"

namespace veltrano {

class MainWindow;

// The outside search site; results come back for "/search?search=<keyword>&id=1".
inline constexpr const char* kSearchHost = "search.veltrano.invalid";

// 转换: shows the page typed into 编辑框1 in the browser, fetches the same page, puts the raw first
// entry of its download list into 编辑框1 and its decoded form into 编辑框2. Blocks while it
// fetches, with a busy cursor. A failed fetch or a page without the list leaves both boxes empty.
void ConvertPageAddress(MainWindow& window);

// 搜索: shows the search site's results for the keyword in 编辑框3 in the browser. The other boxes
// are not touched.
void SearchKeyword(MainWindow& window);

// The search address for `keyword`: ASCII and ideographic spaces trimmed from both ends, then
// every byte other than an ASCII letter, digit or one of -._~!$'()*,;:@/?=[] percent-encoded as
// %XX, so the site is asked for exactly what was typed (GBK bytes stay GBK bytes).
Text SearchAddressFor(const Text& keyword);

}  // namespace veltrano
