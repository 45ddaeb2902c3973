// Layered windows show the per-pixel content UpdateLayeredWindow gives them.
#include "platform/gdi/GdiInternal.h"
#include "platform/user/UserInternal.h"

namespace win {

using namespace user;

BOOL UpdateLayeredWindow(HWND handle, HDC, POINT* position, SIZE* size, HDC source, POINT* sourcePoint, COLORREF,
                         BLENDFUNCTION* blend, DWORD flags) {
  auto w = FindWindow(handle);
  if (!w || !(w->exStyle & WS_EX_LAYERED)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RECT r = w->rect;
  if (position) OffsetRect(&r, position->x - r.left, position->y - r.top);
  if (size) {
    r.right = r.left + size->cx;
    r.bottom = r.top + size->cy;
  }
  if (!(r == w->rect)) SetWindowPos(handle, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  if (source) {
    const int width = r.right - r.left, height = r.bottom - r.top;
    if (width <= 0 || height <= 0) return FALSE;
    if (w->layeredContent) DeleteObject(w->layeredContent);
    w->layeredContent = CreateCompatibleBitmap(nullptr, width, height);
    HDC target = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(target, w->layeredContent);
    const POINT from = sourcePoint ? *sourcePoint : POINT{0, 0};
    if ((flags & ULW_ALPHA) && blend) {
      GdiAlphaBlend(target, 0, 0, width, height, source, from.x, from.y, width, height, *blend);
    } else {
      BitBlt(target, 0, 0, width, height, source, from.x, from.y, SRCCOPY);
      // Opaque content: every pixel fully covers what is below.
      const gdi::PixelView view = gdi::PixelsOf(w->layeredContent);
      for (int y = 0; y < view.height; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(view.data + std::size_t(y) * view.stride);
        for (int x = 0; x < view.width; ++x) row[x] |= 0xFF000000u;
      }
    }
    SelectObject(target, previous);
    DeleteDC(target);
    w->layeredContentSet = true;
  }
  NotifyWindowChanged(handle);
  return TRUE;
}

}  // namespace win
