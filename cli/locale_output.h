// Conversion of the GBK bytes the extraction gives into the encoding of the user's locale.
#pragma once

#include <string>
#include <string_view>

namespace veltrano {

// The codeset printed text should use: the locale's (after setlocale(LC_ALL, "")), or UTF-8
// where the locale is the plain C/POSIX one, whose ASCII cannot show the addresses at all.
std::string OutputCodeset();

// `gbk` converted to `codeset`. A byte that is not part of a valid GBK (GB18030) character, and
// every byte of a character that `codeset` cannot show, comes out as "%XX" (capital hex), so
// nothing is dropped silently. An unknown codeset gives every non-ASCII byte as "%XX".
std::string ConvertGbkTo(std::string_view gbk, const std::string& codeset);

}  // namespace veltrano
