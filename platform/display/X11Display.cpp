// Placeholder until the X11 window is built: the display stays headless.
#include "platform/display/X11Display.h"

namespace win::display::x11 {

bool Open() { return false; }

}  // namespace win::display::x11
