// Numbers as the platform's C run time writes them.
#pragma once

#include <string>

namespace win {

// printf("%.13g"), with the platform's exponent of at least three digits:
// 1 -> "1", 0.5 -> "0.5", 1e20 -> "1e+020".
std::string FormatNumber(double value);

}  // namespace win
