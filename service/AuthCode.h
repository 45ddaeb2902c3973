// The AuthCode cipher: a symmetric cipher with an integrity check that
// enciphers every request and answer of the service protocol.
//
// Cipher text: keyc (4 hex characters taken from the clock) followed by the
// unpadded Base64 of the RC4-enciphered frame "expiry(10) check(16) plain".
// ENCODE runs natively; the launcher's DECODE runs the carried cipher script
// in a script host. DecodeNative computes the same result without an engine
// and serves the reference service and the cross-checks.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lumbrix::AuthCode {

// Enciphers the bytes of `plain` with no expiry.
std::string Encode(std::string_view plain, std::string_view key);
// As Encode, with the frame valid until `expiresAt` (seconds since 1970, UTC;
// 0 for no expiry) and the given 4-character key variation.
std::string EncodeFrame(std::string_view plain, std::string_view key, std::string_view keyc,
                        std::uint64_t expiresAt);
// Deciphers through the carried script: a new script host per call.
// Empty when the text does not decipher, fails its check or has expired.
std::string Decode(std::string_view cipher, std::string_view key);
// The same result as Decode for every input, computed natively.
std::string DecodeNative(std::string_view cipher, std::string_view key);

}  // namespace lumbrix::AuthCode
