// The X11 display: each visible top-level window shown in an X window.
#pragma once

namespace win::display::x11 {

// Opens the display named by DISPLAY and hooks into the window system;
// false when no X server answers.
bool Open();

}  // namespace win::display::x11
