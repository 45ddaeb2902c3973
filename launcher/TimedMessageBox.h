#pragma once

#include <string>

#include "platform/user/User.h"

namespace lumbrix {

// A message box owned by the active window that closes itself after
// `timeoutMs`; the result is not used.
void TimedMessageBox(const std::string& caption, const std::string& text, win::DWORD timeoutMs, win::UINT style);

}  // namespace lumbrix
