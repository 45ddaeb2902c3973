// Code-page conversion of any bytes: sizes asked first always fit.
#include <string>

#include "platform/kernel/CodePage.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const auto* text = reinterpret_cast<const char*>(data);
  for (win::UINT cp : {win::CP_GBK, win::CP_UTF8}) {
    const int needed = win::MultiByteToWideChar(cp, 0, text, int(size), nullptr, 0);
    std::u16string wide(std::size_t(needed), u'\0');
    if (needed > 0 && win::MultiByteToWideChar(cp, 0, text, int(size), wide.data(), needed) != needed) __builtin_trap();
    const std::string back = win::MultiByteFromWide(cp, wide);
    if (!wide.empty() && back.empty()) __builtin_trap();
  }
  return 0;
}
