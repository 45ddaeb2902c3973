// Response header blocks and addresses as WebAccess reads them.
#include <string>

#include "service/WebAccess.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  lumbrix::CookiesFromHeaders(text);
  const lumbrix::WebAddress address = lumbrix::ParseWebAddress(text);
  if (address.path.empty() || address.path[0] != '/') __builtin_trap();
  lumbrix::TextBetween(text, "a", "b");
  lumbrix::BuildHeaderBlock(text, text, text);
  return 0;
}
