// What the substrate registers before the first window: the dialog class,
// and the window DCs that GDI+ graphics over a window draw through.
#include "platform/gdi/GdiInternal.h"
#include "platform/user/UserInternal.h"

namespace win::user {

void RegisterDialogClass();

void EnsureSystemClasses() {
  static const bool done = [] {
    RegisterDialogClass();
    gdi::SetWindowDCProvider(gdi::WindowDCProvider{
        [](HWND window) { return GetDC(window); },
        [](HWND window, HDC dc) { ReleaseDC(window, dc); },
    });
    return true;
  }();
  (void)done;
}

}  // namespace win::user
