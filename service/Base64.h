// Base64 with the RFC 4648 alphabet, as the AuthCode cipher writes and reads it.
#pragma once

#include <string>
#include <string_view>

namespace lumbrix {

// Standard Base64 with "=" padding.
std::string Base64Encode(std::string_view bytes);

// The cipher's lenient reading: each character is reduced to its low 8 bits,
// characters outside the alphabet are skipped, "=" read as a third or fourth
// value ends the text, and a last group of two or three values gives one or
// two bytes.
std::string AuthCodeBase64Decode(std::u16string_view text);
// The same for a text of bytes, each a character U+0000..U+00FF.
std::string AuthCodeBase64Decode(std::string_view text);

}  // namespace lumbrix
