#include "platform/kernel/NumberText.h"

#include <cstdio>
#include <cstring>

namespace win {

std::string FormatNumber(double value) {
  char text[48];
  std::snprintf(text, sizeof text, "%.13g", value);
  std::string out(text);
  const auto e = out.find('e');
  if (e == std::string::npos) return out;
  // glibc writes at least two exponent digits; pad to three.
  const size_t digits = out.size() - (e + 2);
  if (digits < 3) out.insert(e + 2, 3 - digits, '0');
  return out;
}

}  // namespace win
