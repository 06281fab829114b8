#include "cli/locale_output.h"

#include <iconv.h>
#include <langinfo.h>

#include <cerrno>
#include <memory>

#include "extract/percent_decode.h"

namespace veltrano {
namespace {

constexpr const char* kSourceCodeset = "GB18030";

class Converter {
 public:
  Converter(const std::string& to, const char* from) : cd_(iconv_open(to.c_str(), from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts as much of `in` as it can, appending to `out`; advances `in` past what it took and
  // returns false when it stopped at a sequence it could not convert.
  bool Convert(std::string_view& in, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state for each piece
    char buffer[256];
    while (!in.empty()) {
      char* in_ptr = const_cast<char*>(in.data());
      std::size_t in_left = in.size();
      char* out_ptr = buffer;
      std::size_t out_left = sizeof buffer;
      const std::size_t done = iconv(cd_, &in_ptr, &in_left, &out_ptr, &out_left);
      out.append(buffer, static_cast<std::size_t>(out_ptr - buffer));
      in.remove_prefix(in.size() - in_left);
      if (done == static_cast<std::size_t>(-1) && errno != E2BIG) return false;
    }
    return true;
  }

 private:
  iconv_t cd_;
};

// Bytes of the GB18030 character that starts `s`: one for ASCII, four for the four-byte form
// (second byte a digit), two otherwise.
std::size_t CharacterWidth(std::string_view s) {
  if (static_cast<unsigned char>(s[0]) < 0x80) return 1;
  if (s.size() >= 4 && s[1] >= '0' && s[1] <= '9') return 4;
  return s.size() >= 2 ? 2 : 1;
}

bool IsValidGbk(std::string_view character) {
  Converter check("UTF-8", kSourceCodeset);
  std::string ignored;
  return check.ok() && check.Convert(character, ignored);
}

}  // namespace

std::string OutputCodeset() {
  const std::string codeset = nl_langinfo(CODESET);
  if (codeset == "ANSI_X3.4-1968" || codeset == "ASCII" || codeset.empty()) return "UTF-8";
  return codeset;
}

std::string ConvertGbkTo(std::string_view gbk, const std::string& codeset) {
  std::string out;
  out.reserve(gbk.size() * 2);
  Converter converter(codeset, kSourceCodeset);
  while (!gbk.empty()) {
    if (converter.ok() && converter.Convert(gbk, out)) break;
    if (gbk.empty()) break;
    // Stopped on a character: escape all of it when it is valid but has no form in the target
    // codeset, or just its first byte when it is not valid GBK, and go on after that.
    const std::size_t width = CharacterWidth(gbk);
    const std::size_t escaped = width > 1 && IsValidGbk(gbk.substr(0, width)) ? width : 1;
    if (!converter.ok() && static_cast<unsigned char>(gbk[0]) < 0x80) {
      out += gbk[0];
    } else {
      out += PercentEncode(gbk.substr(0, escaped), [](unsigned char) { return false; });
    }
    gbk.remove_prefix(escaped);
  }
  return out;
}

}  // namespace veltrano
