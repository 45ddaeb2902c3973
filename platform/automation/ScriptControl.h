// The script control: an automation object that runs JScript text. Created
// through CreateObjectFromProgID("MSScriptControl.ScriptControl") or
// ("ScriptControl").
//
// Properties: Language ("JScript" or "JavaScript"), Timeout (milliseconds,
// -1 for none), State, AllowUI, SitehWnd. Methods: AddCode, ExecuteStatement,
// Eval, Run, Reset.
//
// No script, however hostile, can hang or exhaust the process: each call is
// stopped at the Timeout (E_ABORT) and each engine has a memory cap
// (E_OUTOFMEMORY); both leave the engine usable for later calls.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/automation/Dispatch.h"

namespace win {

inline constexpr std::int32_t kScriptDefaultTimeoutMs = 10000;
inline constexpr std::int32_t kScriptNoTimeout = -1;
inline constexpr std::size_t kScriptMemoryCapBytes = 64u << 20;

HRESULT CreateScriptControl(IDispatch** object);

}  // namespace win
