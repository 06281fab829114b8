// Prints a Text in test failures as a quoted string with \xNN escapes for bytes outside ASCII.
#pragma once

#include <cstdio>
#include <ostream>

#include "text/text.h"

namespace veltrano {

inline void PrintTo(const Text& t, std::ostream* os) {
  *os << '"';
  for (char c : t.bytes()) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && c != '"' && c != '\\') {
      *os << c;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      *os << escaped;
    }
  }
  *os << '"';
}

}  // namespace veltrano
