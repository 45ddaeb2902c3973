#include <cstdlib>

#include "platform/display/Display.h"
#include "platform/display/X11Display.h"
#include "platform/gdi/GdiInternal.h"

namespace win::display {

namespace {
bool x11Open = false;
}

void Initialize(bool useX11) {
  static const bool screenRegistered = [] {
    gdi::SetScreenComposer([] { return ComposeScreen(); });
    return true;
  }();
  (void)screenRegistered;
  const char* display = std::getenv("DISPLAY");
  if (useX11 && !x11Open && display && *display) x11Open = x11::Open();
}

bool X11Active() { return x11Open; }

}  // namespace win::display
