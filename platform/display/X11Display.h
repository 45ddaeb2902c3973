// The X11 display: each visible top-level window shown in an X window.
#pragma once

#include <cstdint>

#include "platform/user/User.h"

namespace win::display::x11 {

// Opens the display named by DISPLAY and hooks into the window system;
// false when no X server answers.
bool Open();
// Shows what changed and handles the events that arrived (waiting up to
// `timeoutMs` for one); false when none came or there is no X display.
bool ProcessEvents(int timeoutMs);
// The X window showing a top-level window, 0 when it is not shown.
std::uint64_t XWindowOf(HWND window);

}  // namespace win::display::x11
