#include <algorithm>
#include <cstring>

#include "platform/display/Display.h"
#include "platform/gdi/GdiInternal.h"
#include "platform/user/WindowSystem.h"

namespace win::display {

namespace {

constexpr COLORREF kDesktop = RGB(58, 110, 165);
constexpr COLORREF kFrame = RGB(212, 208, 200);
constexpr COLORREF kBorder = RGB(100, 100, 100);

void SetOpaque(HBITMAP bitmap) {
  const gdi::PixelView view = gdi::PixelsOf(bitmap);
  for (int y = 0; y < view.height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(view.data + std::size_t(y) * view.stride);
    for (int x = 0; x < view.width; ++x) row[x] |= 0xFF000000u;
  }
  gdi::MarkBitmapDirty(bitmap);
}

void Frame(HDC dc, const RECT& r, int width, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  for (const RECT& edge : {RECT{r.left, r.top, r.right, r.top + width}, RECT{r.left, r.bottom - width, r.right, r.bottom},
                           RECT{r.left, r.top, r.left + width, r.bottom}, RECT{r.right - width, r.top, r.right, r.bottom}})
    FillRect(dc, &edge, brush);
  DeleteObject(brush);
}

// Draws `window`'s client surface and its children onto `dc`, whose origin is
// `origin` on the screen, inside `clip` (screen coordinates).
void DrawClientTree(HDC dc, const user::Window& window, POINT origin, RECT clip) {
  const RECT client = user::ClientRectOnScreen(window);
  RECT visible;
  if (!IntersectRect(&visible, &client, &clip)) return;
  HDC source = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(source, window.surface);
  BitBlt(dc, visible.left - origin.x, visible.top - origin.y, visible.right - visible.left, visible.bottom - visible.top,
         source, visible.left - client.left, visible.top - client.top, SRCCOPY);
  SelectObject(source, previous);
  DeleteDC(source);
  // Children bottom first, so the top of the z-order is drawn last.
  for (auto it = window.children.rbegin(); it != window.children.rend(); ++it) {
    auto child = user::FindWindow(*it);
    if (!child || !child->Visible()) continue;
    RECT outer{};
    GetWindowRect(*it, &outer);
    RECT shown;
    if (!IntersectRect(&shown, &outer, &visible)) continue;
    const RECT frame = user::FrameOf(child->style, child->exStyle, true);
    if (frame.left > 0) {
      HRGN limit = CreateRectRgn(visible.left - origin.x, visible.top - origin.y, visible.right - origin.x, visible.bottom - origin.y);
      SelectClipRgn(dc, limit);
      RECT local = outer;
      OffsetRect(&local, -origin.x, -origin.y);
      Frame(dc, local, frame.left, kBorder);
      SelectClipRgn(dc, nullptr);
      DeleteObject(limit);
    }
    DrawClientTree(dc, *child, origin, visible);
  }
}

void DrawCaption(HDC dc, const user::Window& window, int width) {
  const RECT frame = user::FrameOf(window.style, window.exStyle, false);
  const bool active = GetActiveWindow() == window.handle;
  const RECT bar{frame.left, frame.left, width - frame.right, frame.top};
  HBRUSH brush = CreateSolidBrush(active ? GetSysColor(COLOR_ACTIVECAPTION) : RGB(191, 205, 219));
  FillRect(dc, &bar, brush);
  DeleteObject(brush);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
  RECT text{bar.left + 6, bar.top, bar.right - 6, bar.bottom};
  DrawTextA(dc, window.text.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

}  // namespace

HBITMAP ComposeWindow(HWND handle) {
  auto window = user::FindWindow(handle);
  if (!window) return nullptr;
  const int width = std::max<LONG>(1, window->rect.right - window->rect.left);
  const int height = std::max<LONG>(1, window->rect.bottom - window->rect.top);
  HBITMAP picture = CreateCompatibleBitmap(nullptr, width, height);
  if (window->layeredContentSet && window->layeredContent) {
    HDC dc = CreateCompatibleDC(nullptr), source = CreateCompatibleDC(nullptr);
    HGDIOBJ a = SelectObject(dc, picture), b = SelectObject(source, window->layeredContent);
    BitBlt(dc, 0, 0, width, height, source, 0, 0, SRCCOPY);
    SelectObject(dc, a);
    SelectObject(source, b);
    DeleteDC(dc);
    DeleteDC(source);
    return picture;
  }
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, picture);
  RECT all{0, 0, width, height};
  HBRUSH face = CreateSolidBrush(kFrame);
  FillRect(dc, &all, face);
  DeleteObject(face);
  const RECT frame = user::FrameOf(window->style, window->exStyle, false);
  if (frame.left > 0) Frame(dc, all, 1, kBorder);
  if ((window->style & WS_CAPTION) == WS_CAPTION) DrawCaption(dc, *window, width);
  DrawClientTree(dc, *window, POINT{window->rect.left, window->rect.top}, window->rect);
  SelectObject(dc, previous);
  DeleteDC(dc);
  SetOpaque(picture);
  return picture;
}

HBITMAP ComposeScreen() {
  const SIZE size = user::ScreenSize();
  HBITMAP screen = CreateCompatibleBitmap(nullptr, size.cx, size.cy);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(dc, screen);
  RECT all{0, 0, size.cx, size.cy};
  HBRUSH desktop = CreateSolidBrush(kDesktop);
  FillRect(dc, &all, desktop);
  DeleteObject(desktop);
  SetOpaque(screen);
  const std::vector<HWND> order = user::TopLevelWindows();
  for (auto it = order.rbegin(); it != order.rend(); ++it) {
    auto window = user::FindWindow(*it);
    if (!window || !window->Visible()) continue;
    HBITMAP picture = ComposeWindow(*it);
    HDC source = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(source, picture);
    const RECT& r = window->rect;
    GdiAlphaBlend(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, source, 0, 0, r.right - r.left,
                  r.bottom - r.top, BLENDFUNCTION{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA});
    SelectObject(source, old);
    DeleteDC(source);
    DeleteObject(picture);
  }
  SelectObject(dc, previous);
  DeleteDC(dc);
  return screen;
}

}  // namespace win::display
