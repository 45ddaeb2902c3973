#include "launcher/TimedMessageBox.h"

namespace lumbrix {

void TimedMessageBox(const std::string& caption, const std::string& text, win::DWORD timeoutMs, win::UINT style) {
  win::MessageBoxTimeoutA(win::GetActiveWindow(), text.c_str(), caption.c_str(), style, 0, timeoutMs);
}

}  // namespace lumbrix
