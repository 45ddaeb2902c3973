// JsonDocument::Parse evaluates its text as script: any text, under the
// engine's time-out and memory cap, must come back.
#include <string>

#include "platform/automation/ScriptControl.h"
#include "script/JsonDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static lumbrix::JsonDocument doc;
  doc.Parse(std::string(reinterpret_cast<const char*>(data), size));
  doc.GetText("code");
  doc.ToText();
  return 0;
}
