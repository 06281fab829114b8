// A GBK film page as such sites serve it, for the end-to-end tests of the window and of
// veltrano-convert: its download list holds two GBK-percent-escaped ftp addresses.
#pragma once

namespace veltrano::test {

// 中文 is D6 D0 CE C4 in GBK.
inline constexpr const char* kFilmPage =
    "<html><head><title>\xD6\xD0\xCE\xC4</title></head><body><script>"
    "var g_downUrlList=[\"ftp%3A%2F%2Fdl.example%2F%D6%D0%CE%C4.mkv\","
    "\"ftp%3A%2F%2Fdl.example%2Fb.mkv\"];</script></body></html>";
// The list's first entry, as it stands in the page.
inline constexpr const char* kFilmEntry = "ftp%3A%2F%2Fdl.example%2F%D6%D0%CE%C4.mkv";

}  // namespace veltrano::test
