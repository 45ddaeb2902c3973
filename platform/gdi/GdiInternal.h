// What the window system and GDI+ need of GDI. Internal to platform/.
#pragma once

#include <functional>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace win::gdi {

// A DC drawing on `surface`, a window's backing bitmap, clipped to `clip`
// (surface coordinates; null: the whole surface). Freed with DeleteDC.
HDC CreateWindowDC(HWND window, HBITMAP surface, HRGN clip);
// A DC over a fresh picture of the screen, freed with DeleteDC.
HDC CreateScreenDC();
// The pixels of a bitmap: premultiplied BGRA, top-down, `stride` bytes a row.
struct PixelView {
  unsigned char* data = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;
};
PixelView PixelsOf(HBITMAP bitmap);
PixelView PixelsOfDC(HDC dc);
HBITMAP BitmapOfDC(HDC dc);
// The DC's clip as rectangles in surface coordinates; empty when unclipped.
std::vector<RECT> ClipRectsOf(HDC dc, bool& clipped);

// After pixels were written behind cairo's back (GDI+ drawing).
void MarkDirty(HDC dc);
void MarkBitmapDirty(HBITMAP bitmap);
std::vector<RECT> RectsOfRegion(HRGN region);

// GDI+ graphics over a window take a DC from the window system, which
// registers how.
struct WindowDCProvider {
  std::function<HDC(HWND)> get;
  std::function<void(HWND, HDC)> release;
};
void SetWindowDCProvider(WindowDCProvider provider);
HDC WindowDCFor(HWND window);
void ReleaseWindowDCFor(HWND window, HDC dc);

// The screen DC composes the windows shown on the screen; the display
// registers how.
using ScreenComposer = std::function<HBITMAP()>;
void SetScreenComposer(ScreenComposer composer);
HBITMAP ComposeScreen();

}  // namespace win::gdi
