#include "platform/kernel/Com.h"

#include <cstdio>

namespace win {

const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

namespace {
thread_local unsigned comDepth = 0;

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// Reads `digits` hex digits at text[at], or fails.
bool ReadHex(LPCWSTR text, int at, int digits, std::uint64_t& value) {
  value = 0;
  for (int i = 0; i < digits; ++i) {
    const int v = HexValue(text[at + i]);
    if (v < 0) return false;
    value = (value << 4) | unsigned(v);
  }
  return true;
}
}  // namespace

HRESULT CoInitialize(LPVOID) { return comDepth++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize() {
  if (comDepth > 0) --comDepth;
}

unsigned ComInitializationDepth() { return comDepth; }

int StringFromGUID2(const GUID& guid, LPWSTR text, int capacity) {
  constexpr int kLength = 39;
  if (text == nullptr || capacity < kLength) return 0;
  char narrow[kLength];
  std::snprintf(narrow, sizeof narrow, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                guid.Data1, guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2],
                guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
  for (int i = 0; i < kLength; ++i) text[i] = char16_t(narrow[i]);
  return kLength;
}

HRESULT CLSIDFromString(LPCWSTR text, CLSID* clsid) {
  if (text == nullptr || clsid == nullptr) return E_INVALIDARG;
  // Check the frame before reading digits so a short text is never overrun.
  for (int i = 0; i < 38; ++i)
    if (text[i] == u'\0') return CO_E_CLASSSTRING;
  if (text[0] != u'{' || text[9] != u'-' || text[14] != u'-' || text[19] != u'-' ||
      text[24] != u'-' || text[37] != u'}' || text[38] != u'\0')
    return CO_E_CLASSSTRING;
  std::uint64_t v = 0;
  GUID g{};
  if (!ReadHex(text, 1, 8, v)) return CO_E_CLASSSTRING;
  g.Data1 = std::uint32_t(v);
  if (!ReadHex(text, 10, 4, v)) return CO_E_CLASSSTRING;
  g.Data2 = std::uint16_t(v);
  if (!ReadHex(text, 15, 4, v)) return CO_E_CLASSSTRING;
  g.Data3 = std::uint16_t(v);
  static constexpr int kByteAt[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    if (!ReadHex(text, kByteAt[i], 2, v)) return CO_E_CLASSSTRING;
    g.Data4[i] = std::uint8_t(v);
  }
  *clsid = g;
  return NOERROR;
}

}  // namespace win
