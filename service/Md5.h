// MD5 (RFC 1321).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace lumbrix {

std::array<std::uint8_t, 16> Md5Digest(std::string_view bytes);
// The digest as 32 lower-case hexadecimal characters.
std::string Md5Hex(std::string_view bytes);

}  // namespace lumbrix
