#include "service/AuthCode.h"

#include <algorithm>
#include <chrono>
#include <optional>

#include "platform/kernel/Clock.h"
#include "platform/kernel/CodePage.h"
#include "script/ScriptHost.h"
#include "script/carried/CarriedScripts.h"
#include "service/Base64.h"
#include "service/Md5.h"
#include "service/Rc4.h"

namespace lumbrix::AuthCode {

namespace {

constexpr std::size_t kKeycLength = 4;
constexpr std::size_t kExpiryLength = 10;
constexpr std::size_t kCheckLength = 16;
constexpr std::size_t kFrameHeader = kExpiryLength + kCheckLength;

// The UTF-8 form the cipher script digests: surrogate pairs are combined,
// a lone surrogate is written as its own three bytes.
std::string ScriptUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c & 0x3FF) << 10) + (text[++i] & 0x3FF);
    }
    if (c < 0x80) {
      out.push_back(char(c));
    } else if (c < 0x800) {
      out.push_back(char(0xC0 | (c >> 6)));
      out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(char(0xE0 | (c >> 12)));
      out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(char(0x80 | (c & 0x3F)));
    } else {
      out.push_back(char(0xF0 | (c >> 18)));
      out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(char(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

bool IsAscii(std::string_view bytes) {
  return std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Bytes taken as the characters U+0000..U+00FF.
std::u16string CharactersOfBytes(std::string_view bytes) {
  std::u16string chars(bytes.size(), u'\0');
  std::transform(bytes.begin(), bytes.end(), chars.begin(),
                 [](char c) { return char16_t(static_cast<unsigned char>(c)); });
  return chars;
}

// ... in the script's UTF-8.
std::string ScriptUtf8OfBytes(std::string_view bytes) {
  return IsAscii(bytes) ? std::string(bytes) : ScriptUtf8(CharactersOfBytes(bytes));
}

struct DerivedKeys {
  std::string keya;
  std::string keyb;
};

DerivedKeys Derive(std::u16string_view key) {
  const std::string k = Md5Hex(ScriptUtf8(key));
  return {Md5Hex(k.substr(0, 16)), Md5Hex(k.substr(16, 16))};
}

std::string CryptKey(const DerivedKeys& keys, std::u16string_view keyc) {
  return keys.keya + Md5Hex(keys.keya + ScriptUtf8(keyc));
}

std::uint64_t UnixSeconds() {
  using namespace std::chrono;
  return std::uint64_t(duration_cast<seconds>(system_clock::now().time_since_epoch()).count());
}

// The expiry field: ten decimal digits, "0000000000" for none.
std::optional<std::uint64_t> ReadExpiry(std::string_view field) {
  if (field.size() != kExpiryLength) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + std::uint64_t(c - '0');
  }
  return value;
}

std::string TenDigits(std::uint64_t value) {
  std::string digits = std::to_string(value);
  return std::string(digits.size() < kExpiryLength ? kExpiryLength - digits.size() : 0, '0') + digits;
}

std::string ClockKeyVariation() {
  win::FILETIME now;
  win::GetSystemTimeAsFileTime(&now);
  const std::uint64_t ticks = (std::uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return Md5Hex(std::to_string(ticks)).substr(32 - kKeycLength);
}

}  // namespace

std::string EncodeFrame(std::string_view plain, std::string_view key, std::string_view keyc,
                        std::uint64_t expiresAt) {
  const DerivedKeys keys = Derive(win::WideFromMultiByte(win::CP_ACP, key));
  std::string frame = TenDigits(expiresAt) +
                      Md5Hex(std::string(plain) + keys.keyb).substr(0, kCheckLength) +
                      std::string(plain);
  Rc4(CryptKey(keys, std::u16string(keyc.begin(), keyc.end()))).Apply(frame);
  std::string encoded = Base64Encode(frame);
  std::erase(encoded, '=');
  return std::string(keyc) + encoded;
}

std::string Encode(std::string_view plain, std::string_view key) {
  return EncodeFrame(plain, key, ClockKeyVariation(), 0);
}

std::string DecodeNative(std::string_view cipher, std::string_view key) {
  // The script reads the cipher as UTF-16 converted from the ANSI text; an
  // ASCII text (every real cipher text) is the same read as bytes.
  std::u16string wide;
  std::u16string_view keyc;
  std::string frame;
  const DerivedKeys keys = Derive(win::WideFromMultiByte(win::CP_ACP, key));
  if (IsAscii(cipher)) {
    const std::string_view head = cipher.substr(0, kKeycLength);
    wide.assign(head.begin(), head.end());
    keyc = wide;
    frame = AuthCodeBase64Decode(cipher.substr(head.size()));
  } else {
    wide = win::WideFromMultiByte(win::CP_ACP, cipher);
    keyc = std::u16string_view(wide).substr(0, kKeycLength);
    frame = AuthCodeBase64Decode(std::u16string_view(wide).substr(keyc.size()));
  }
  Rc4(CryptKey(keys, keyc)).Apply(frame);

  const auto expiry = ReadExpiry(std::string_view(frame).substr(0, kExpiryLength));
  if (!expiry || (*expiry != 0 && *expiry <= UnixSeconds())) return {};
  if (frame.size() < kFrameHeader) return {};
  const std::string_view plain = std::string_view(frame).substr(kFrameHeader);
  const std::string check = Md5Hex(ScriptUtf8OfBytes(plain) + keys.keyb).substr(0, kCheckLength);
  if (frame.compare(kExpiryLength, kCheckLength, check) != 0) return {};

  // The characters leave as ANSI text, as they leave the script host.
  return IsAscii(plain) ? std::string(plain) : win::MultiByteFromWide(win::CP_ACP, CharactersOfBytes(plain));
}

std::string Decode(std::string_view cipher, std::string_view key) {
  ScriptHost host;
  host.ExecuteStatement(kAuthCodeScript);
  return host.Run("uc_authcode", std::string(cipher), "DECODE", std::string(key), "0");
}

}  // namespace lumbrix::AuthCode
