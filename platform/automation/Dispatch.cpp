#include "platform/automation/Dispatch.h"

#include <algorithm>
#include <cctype>

#include "platform/automation/ScriptControl.h"

namespace win {

const IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

namespace {

// Never destroyed: automation calls may still run in exit handlers.
EXCEPINFO& LastError() {
  thread_local auto* error = new EXCEPINFO();
  return *error;
}

struct Registration {
  std::u16string_view progId;
  HRESULT (*create)(IDispatch**);
};

constexpr Registration kRegistry[] = {
    {u"MSScriptControl.ScriptControl", CreateScriptControl},
    {u"ScriptControl", CreateScriptControl},
};

bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
  auto lower = [](char16_t c) { return c < 0x80 ? char16_t(std::tolower(int(c))) : c; };
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [&](char16_t x, char16_t y) {
           return lower(x) == lower(y);
         });
}

HRESULT Record(HRESULT hr, EXCEPINFO&& error) {
  if (SUCCEEDED(hr)) {
    LastError() = EXCEPINFO{};
  } else {
    if (error.scode == S_OK) error.scode = hr;
    LastError() = std::move(error);
  }
  return hr;
}

}  // namespace

HRESULT CreateObjectFromProgID(std::u16string_view progId, IDispatch** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  for (const auto& entry : kRegistry)
    if (EqualsIgnoringCase(entry.progId, progId)) return entry.create(object);
  return CO_E_CLASSSTRING;
}

HRESULT AutomationGet(IDispatch* object, std::u16string_view name, VARIANT* result) {
  VARIANT ignored;
  if (result == nullptr) result = &ignored;
  *result = VARIANT();
  if (object == nullptr) return Record(E_POINTER, {});
  EXCEPINFO error;
  return Record(object->GetProperty(name, result, &error), std::move(error));
}

HRESULT AutomationPut(IDispatch* object, std::u16string_view name, const VARIANT& value) {
  if (object == nullptr) return Record(E_POINTER, {});
  EXCEPINFO error;
  return Record(object->PutProperty(name, value, &error), std::move(error));
}

HRESULT AutomationCall(IDispatch* object, std::u16string_view name,
                       std::span<const VARIANT> arguments, VARIANT* result) {
  VARIANT ignored;
  if (result == nullptr) result = &ignored;
  *result = VARIANT();
  if (object == nullptr) return Record(E_POINTER, {});
  EXCEPINFO error;
  return Record(object->CallMethod(name, arguments, result, &error), std::move(error));
}

const EXCEPINFO& GetLastAutomationError() { return LastError(); }

}  // namespace win
