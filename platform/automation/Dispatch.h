// Late-bound automation objects: created by ProgID, their properties read
// and written by name, their methods called by name with variant arguments.
// Every call through the helpers below records the calling thread's last
// automation error: set by a failed call, cleared by a successful one.
#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "platform/automation/Variant.h"
#include "platform/kernel/Com.h"

namespace win {

inline constexpr HRESULT E_ABORT = static_cast<HRESULT>(0x80004004u);
inline constexpr HRESULT DISP_E_MEMBERNOTFOUND = static_cast<HRESULT>(0x80020003u);
inline constexpr HRESULT DISP_E_UNKNOWNNAME = static_cast<HRESULT>(0x80020006u);
inline constexpr HRESULT DISP_E_EXCEPTION = static_cast<HRESULT>(0x80020009u);
inline constexpr HRESULT DISP_E_BADPARAMCOUNT = static_cast<HRESULT>(0x8002000Eu);

// What a failed call leaves behind.
struct EXCEPINFO {
  HRESULT scode = S_OK;
  std::u16string source;
  std::u16string description;
};

extern const IID IID_IDispatch;

struct IDispatch : IUnknown {
  virtual HRESULT GetProperty(std::u16string_view name, VARIANT* result, EXCEPINFO* error) = 0;
  virtual HRESULT PutProperty(std::u16string_view name, const VARIANT& value,
                              EXCEPINFO* error) = 0;
  virtual HRESULT CallMethod(std::u16string_view name, std::span<const VARIANT> arguments,
                             VARIANT* result, EXCEPINFO* error) = 0;

 protected:
  ~IDispatch() = default;
};

// Creates the object registered under `progId` (case-insensitive), as
// CLSIDFromProgID followed by CoCreateInstance would; an unknown ProgID
// fails with CO_E_CLASSSTRING.
HRESULT CreateObjectFromProgID(std::u16string_view progId, IDispatch** object);

// The late-bound calls. A null object fails with E_POINTER.
HRESULT AutomationGet(IDispatch* object, std::u16string_view name, VARIANT* result);
HRESULT AutomationPut(IDispatch* object, std::u16string_view name, const VARIANT& value);
HRESULT AutomationCall(IDispatch* object, std::u16string_view name,
                       std::span<const VARIANT> arguments, VARIANT* result = nullptr);
inline HRESULT AutomationCall(IDispatch* object, std::u16string_view name,
                              std::initializer_list<VARIANT> arguments,
                              VARIANT* result = nullptr) {
  return AutomationCall(object, name, std::span<const VARIANT>(arguments.begin(), arguments.size()),
                        result);
}

// The calling thread's last automation error; scode S_OK after a success.
const EXCEPINFO& GetLastAutomationError();

}  // namespace win
