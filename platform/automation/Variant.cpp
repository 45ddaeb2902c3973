#include "platform/automation/Variant.h"

#include <cstdlib>
#include <string>

#include "platform/kernel/CodePage.h"
#include "platform/kernel/NumberText.h"

namespace win {

VARTYPE VARIANT::Type() const {
  static constexpr VARTYPE kTypes[] = {VT_EMPTY, VT_BOOL, VT_I4, VT_R8, VT_BSTR};
  return kTypes[value_.index()];
}

namespace {
std::u16string Widen(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

std::string Narrow(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) out.push_back(c < 0x80 ? char(c) : '\x01');
  return out;
}
}  // namespace

std::u16string VariantToText(const VARIANT& value) {
  switch (value.Type()) {
    case VT_EMPTY: return {};
    case VT_BOOL: return value.AsBool() ? u"true" : u"false";
    case VT_I4: return Widen(std::to_string(value.AsInt()));
    case VT_R8: return Widen(FormatNumber(value.AsDouble()));
    case VT_BSTR: return value.AsText();
  }
  return {};
}

double VariantToNumber(const VARIANT& value) {
  switch (value.Type()) {
    case VT_EMPTY: return 0;
    case VT_BOOL: return value.AsBool() ? 1 : 0;
    case VT_I4: return value.AsInt();
    case VT_R8: return value.AsDouble();
    case VT_BSTR: {
      const std::string text = Narrow(value.AsText());
      char* end = nullptr;
      const double number = std::strtod(text.c_str(), &end);
      while (end && (*end == ' ' || *end == '\t')) ++end;
      return (end == text.c_str() || (end && *end != '\0')) ? 0 : number;
    }
  }
  return 0;
}

bool VariantToBool(const VARIANT& value) {
  switch (value.Type()) {
    case VT_EMPTY: return false;
    case VT_BOOL: return value.AsBool();
    case VT_I4: return value.AsInt() != 0;
    case VT_R8: return value.AsDouble() != 0;
    case VT_BSTR: return value.AsText() == u"true" || VariantToNumber(value) != 0;
  }
  return false;
}

}  // namespace win
