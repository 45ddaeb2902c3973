// The variant values that cross an automation call: empty, bool, 32-bit
// integer, double and UTF-16 text.
#pragma once

#include <string>
#include <variant>

#include "platform/kernel/Types.h"

namespace win {

enum VARTYPE : WORD { VT_EMPTY = 0, VT_I4 = 3, VT_R8 = 5, VT_BSTR = 8, VT_BOOL = 11 };

class VARIANT {
 public:
  VARIANT() = default;
  VARIANT(bool value) : value_(value) {}
  VARIANT(std::int32_t value) : value_(value) {}
  VARIANT(double value) : value_(value) {}
  VARIANT(std::u16string value) : value_(std::move(value)) {}
  VARIANT(const char16_t* value) : value_(std::u16string(value)) {}

  VARTYPE Type() const;
  bool IsEmpty() const { return value_.index() == 0; }
  bool AsBool() const { return std::get<bool>(value_); }
  std::int32_t AsInt() const { return std::get<std::int32_t>(value_); }
  double AsDouble() const { return std::get<double>(value_); }
  const std::u16string& AsText() const { return std::get<std::u16string>(value_); }

  friend bool operator==(const VARIANT&, const VARIANT&) = default;

 private:
  std::variant<std::monostate, bool, std::int32_t, double, std::u16string> value_;
};

// Conversions as the program's run time makes them. Empty gives "", 0 or
// false; a bool is "true" or "false"; a double is written as "%.13g"; a text
// that does not read as a number gives 0.
std::u16string VariantToText(const VARIANT& value);
double VariantToNumber(const VARIANT& value);
bool VariantToBool(const VARIANT& value);

}  // namespace win
