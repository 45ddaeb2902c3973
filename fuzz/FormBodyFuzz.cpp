// The reference service's request handling on any form body.
#include <string>

#include "server/InfoService.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  lumbrix::server::ParseFormBody(body);
  const auto answer = lumbrix::server::AnswerGetInfo(body, [](const std::string& id) {
    return id == "3" ? std::optional(lumbrix::server::Application{"3", "key", "n", "1.0", "u", "1", "s"}) : std::nullopt;
  });
  if (answer.status != 200 && answer.status != 400 && answer.status != 404) __builtin_trap();
  return 0;
}
