// Script texts carried in the executable, byte for byte as in their files.
#pragma once

#include <string_view>

namespace lumbrix {

// The AuthCode cipher script (CRLF line ends), defining uc_authcode.
extern const std::string_view kAuthCodeScript;

}  // namespace lumbrix
