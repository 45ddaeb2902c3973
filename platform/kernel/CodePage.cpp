#include "platform/kernel/CodePage.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <algorithm>
#include <optional>

namespace win {

namespace {

static_assert(std::endian::native == std::endian::little, "UTF-16LE is the host order");

constexpr char16_t kReplacement = 0xFFFD;  // what invalid UTF-8 becomes
constexpr char16_t kDbcsDefault = u'?';    // what an invalid GBK sequence becomes

std::optional<UINT> Resolve(UINT codePage) {
  if (codePage == CP_ACP) return CP_GBK;
  if (codePage == CP_GBK || codePage == CP_UTF8) return codePage;
  return std::nullopt;
}

// One pair of iconv descriptors per thread, opened on first use.
class GbkConverter {
 public:
  GbkConverter()
      : toWide_(iconv_open("UTF-16LE", "CP936")), toNarrow_(iconv_open("CP936", "UTF-16LE")) {}
  ~GbkConverter() {
    if (toWide_ != kInvalid) iconv_close(toWide_);
    if (toNarrow_ != kInvalid) iconv_close(toNarrow_);
  }
  GbkConverter(const GbkConverter&) = delete;
  GbkConverter& operator=(const GbkConverter&) = delete;

  static GbkConverter& ForThisThread() {
    // Never destroyed: texts are still converted in exit handlers.
    thread_local auto* converter = new GbkConverter();
    return *converter;
  }

  // Decodes all of `in`; an invalid or cut-off sequence gives one default
  // character for its lead byte and decoding goes on after it.
  std::u16string Decode(std::string_view in, bool& invalid) const {
    std::u16string out;
    out.reserve(in.size());
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    iconv(toWide_, nullptr, nullptr, nullptr, nullptr);
    char16_t buffer[512];
    while (srcLeft > 0) {
      char* dst = reinterpret_cast<char*>(buffer);
      size_t dstLeft = sizeof buffer;
      const size_t rc = iconv(toWide_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buffer, (sizeof buffer - dstLeft) / sizeof(char16_t));
      if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
        invalid = true;
        out.push_back(kDbcsDefault);
        ++src;
        --srcLeft;
        iconv(toWide_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    return out;
  }

  // Encodes all of `in`; an unmappable character (or a lone surrogate)
  // becomes `defaultChar`.
  std::string Encode(std::u16string_view in, char defaultChar, bool& usedDefault) const {
    std::string out;
    out.reserve(in.size() * 2);
    char* src = reinterpret_cast<char*>(const_cast<char16_t*>(in.data()));
    size_t srcLeft = in.size() * sizeof(char16_t);
    iconv(toNarrow_, nullptr, nullptr, nullptr, nullptr);
    char buffer[1024];
    while (srcLeft > 0) {
      char* dst = buffer;
      size_t dstLeft = sizeof buffer;
      const size_t rc = iconv(toNarrow_, &src, &srcLeft, &dst, &dstLeft);
      out.append(buffer, sizeof buffer - dstLeft);
      if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
        usedDefault = true;
        out.push_back(defaultChar);
        const char16_t unit = *reinterpret_cast<const char16_t*>(src);
        const bool pair = unit >= 0xD800 && unit <= 0xDBFF && srcLeft >= 4 &&
                          (reinterpret_cast<const char16_t*>(src)[1] & 0xFC00) == 0xDC00;
        const size_t skip = (pair ? 2 : 1) * sizeof(char16_t);
        src += std::min(skip, srcLeft);
        srcLeft -= std::min(skip, srcLeft);
        iconv(toNarrow_, nullptr, nullptr, nullptr, nullptr);
      }
    }
    return out;
  }

  bool Usable() const { return toWide_ != kInvalid && toNarrow_ != kInvalid; }

 private:
  static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);
  iconv_t toWide_;
  iconv_t toNarrow_;
};

// UTF-8 is decoded here rather than by iconv so that each ill-formed byte
// becomes exactly one U+FFFD, as the platform does.
std::u16string DecodeUtf8(std::string_view in, bool& invalid) {
  std::u16string out;
  out.reserve(in.size());
  const auto* p = reinterpret_cast<const unsigned char*>(in.data());
  const size_t n = in.size();
  size_t i = 0;
  while (i < n) {
    const unsigned char b = p[i];
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    int length = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if (b >= 0xC2 && b <= 0xDF) { length = 2; cp = b & 0x1F; minimum = 0x80; }
    else if (b >= 0xE0 && b <= 0xEF) { length = 3; cp = b & 0x0F; minimum = 0x800; }
    else if (b >= 0xF0 && b <= 0xF4) { length = 4; cp = b & 0x07; minimum = 0x10000; }
    bool ok = length > 0 && i + length <= n;
    for (int k = 1; ok && k < length; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) ok = false;
      else cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    if (ok && (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))) ok = false;
    if (!ok) {
      invalid = true;
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(cp));
    }
    i += length;
  }
  return out;
}

std::string EncodeUtf8(std::u16string_view in, bool& invalid) {
  std::string out;
  out.reserve(in.size() * 3);
  for (size_t i = 0; i < in.size(); ++i) {
    char32_t cp = in[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < in.size() && (in[i + 1] & 0xFC00) == 0xDC00) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (in[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      invalid = true;
      cp = kReplacement;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

// Every code page here is a superset of ASCII, and most texts are ASCII:
// those are widened or narrowed directly.
bool IsAscii(std::string_view in) {
  for (char c : in)
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  return true;
}

bool IsAscii(std::u16string_view in) {
  for (char16_t c : in)
    if (c >= 0x80) return false;
  return true;
}

// Copies a converted text into the caller's buffer under the platform's
// size conventions.
template <typename Char>
int Deliver(const std::basic_string<Char>& converted, Char* target, int targetLength) {
  if (targetLength == 0) {
    if (converted.empty()) SetLastError(ERROR_INVALID_PARAMETER);
    return static_cast<int>(converted.size());
  }
  if (converted.size() > static_cast<size_t>(targetLength)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(target, converted.data(), converted.size() * sizeof(Char));
  return static_cast<int>(converted.size());
}

// ASCII goes straight from the source into the caller's buffer.
template <typename To, typename From>
int DeliverWidened(std::basic_string_view<From> in, To* target, int targetLength) {
  if (targetLength == 0) return static_cast<int>(in.size());
  if (in.size() > static_cast<size_t>(targetLength)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::copy(in.begin(), in.end(), target);
  return static_cast<int>(in.size());
}

}  // namespace

UINT GetACP() { return CP_GBK; }

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceLength,
                        LPWSTR target, int targetLength) {
  const auto resolved = Resolve(codePage);
  if (!resolved || source == nullptr || sourceLength == 0 || sourceLength < -1 ||
      targetLength < 0 || (targetLength > 0 && target == nullptr)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const size_t length = sourceLength == -1 ? std::strlen(source) + 1 : size_t(sourceLength);
  const std::string_view in(source, length);
  bool invalid = false;
  if (IsAscii(in)) return DeliverWidened<char16_t>(in, target, targetLength);
  std::u16string converted;
  if (*resolved == CP_UTF8) {
    converted = DecodeUtf8(in, invalid);
  } else {
    auto& gbk = GbkConverter::ForThisThread();
    if (!gbk.Usable()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    converted = gbk.Decode(in, invalid);
  }
  if (invalid && (flags & MB_ERR_INVALID_CHARS)) {
    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
    return 0;
  }
  return Deliver(converted, target, targetLength);
}

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR source, int sourceLength,
                        LPSTR target, int targetLength, LPCSTR defaultChar,
                        BOOL* usedDefaultChar) {
  const auto resolved = Resolve(codePage);
  const bool utf8 = resolved == CP_UTF8;
  if (!resolved || source == nullptr || sourceLength == 0 || sourceLength < -1 ||
      targetLength < 0 || (targetLength > 0 && target == nullptr) ||
      (utf8 && (defaultChar != nullptr || usedDefaultChar != nullptr))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t length = size_t(sourceLength);
  if (sourceLength == -1) length = std::char_traits<char16_t>::length(source) + 1;
  const std::u16string_view in(source, length);
  bool lossy = false;
  if (IsAscii(in)) {
    if (usedDefaultChar) *usedDefaultChar = FALSE;
    return DeliverWidened<char>(in, target, targetLength);
  }
  std::string converted;
  if (utf8) {
    converted = EncodeUtf8(in, lossy);
    if (lossy && (flags & WC_ERR_INVALID_CHARS)) {
      SetLastError(ERROR_NO_UNICODE_TRANSLATION);
      return 0;
    }
  } else {
    auto& gbk = GbkConverter::ForThisThread();
    if (!gbk.Usable()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    converted = gbk.Encode(in, defaultChar ? *defaultChar : '?', lossy);
    if (usedDefaultChar) *usedDefaultChar = lossy ? TRUE : FALSE;
  }
  return Deliver(converted, target, targetLength);
}

// The helpers convert in one pass: the first call learns the size from an
// output buffer large enough for any result (a byte never gives more than one
// UTF-16 unit, a unit never more than three bytes).
std::u16string WideFromMultiByte(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  std::u16string out(text.size(), u'\0');
  const int n = MultiByteToWideChar(codePage, 0, text.data(), int(text.size()), out.data(), int(out.size()));
  out.resize(size_t(n));
  return out;
}

std::string MultiByteFromWide(UINT codePage, std::u16string_view text) {
  if (text.empty()) return {};
  std::string out(text.size() * 3, '\0');
  const int n = WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), out.data(),
                                    int(out.size()), nullptr, nullptr);
  out.resize(size_t(n));
  return out;
}

std::string AnsiText(std::string_view utf8) {
  return MultiByteFromWide(CP_ACP, WideFromMultiByte(CP_UTF8, utf8));
}

std::string Utf8FromAnsi(std::string_view ansi) {
  return MultiByteFromWide(CP_UTF8, WideFromMultiByte(CP_ACP, ansi));
}

}  // namespace win
