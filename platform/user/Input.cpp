// Mouse input: routing to the window under the pointer or to the capture,
// hover and leave tracking, cursors.
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "platform/kernel/Clock.h"
#include "platform/user/UserInternal.h"

namespace win::user {

std::optional<std::uint64_t> NextTimerDue();

namespace {

constexpr DWORD kDefaultHoverMs = 400;
constexpr int kHoverSlop = 2;  // pixels the pointer may drift while resting

struct Tracking {
  HWND window = nullptr;
  DWORD flags = 0;
  DWORD hoverMs = kDefaultHoverMs;
  std::uint64_t hoverSince = 0;
  POINT hoverAt{};
};

struct PointerState {
  POINT position{-1, -1};
  bool onScreen = false;
  WPARAM buttons = 0;
  HWND capture = nullptr;
  HWND under = nullptr;
  Tracking tracking;
  HCURSOR cursor = nullptr;
};

PointerState& Pointer() {
  static auto* state = new PointerState();
  return *state;
}

bool Contains(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

RECT ScreenRect(HWND handle) {
  RECT r{};
  GetWindowRect(handle, &r);
  return r;
}

// The deepest visible, enabled window at `p` inside `parent` that does not
// let the point through (WM_NCHITTEST answering HTTRANSPARENT).
HWND ChildAt(HWND parent, POINT p) {
  auto w = FindWindow(parent);
  if (!w) return nullptr;
  for (HWND child : w->children) {
    auto c = FindWindow(child);
    if (!c || !c->Visible() || !Contains(ScreenRect(child), p)) continue;
    if (c->style & WS_DISABLED) return nullptr;
    if (HWND deeper = ChildAt(child, p)) return deeper;
    if (SendMessageA(child, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y)) != HTTRANSPARENT) return child;
  }
  return nullptr;
}

HWND WindowAt(POINT p) {
  for (HWND top : TopLevelWindows()) {
    auto w = FindWindow(top);
    if (!w || !w->Visible() || (w->exStyle & WS_EX_TRANSPARENT) || !Contains(w->rect, p)) continue;
    if (w->style & WS_DISABLED) return nullptr;  // a modal box's owner takes no input
    if (HWND child = ChildAt(top, p)) return child;
    return top;
  }
  return nullptr;
}

LPARAM ClientPoint(HWND window, POINT screen) {
  ScreenToClient(window, &screen);
  return MAKELPARAM(screen.x, screen.y);
}

void Leave(Tracking& t) {
  if (t.window && (t.flags & TME_LEAVE) && IsWindow(t.window)) PostMessageA(t.window, WM_MOUSELEAVE, 0, 0);
  t = Tracking{};
}

HWND TopLevelOf(HWND handle) {
  auto w = FindWindow(handle);
  while (w && w->Child()) w = FindWindow(w->parent);
  return w ? w->handle : nullptr;
}

}  // namespace

void ForgetWindowInput(HWND window) {
  PointerState& s = Pointer();
  if (s.capture == window) s.capture = nullptr;
  if (s.under == window) s.under = nullptr;
  if (s.tracking.window == window) s.tracking = Tracking{};
}

bool CheckHover() {
  PointerState& s = Pointer();
  Tracking& t = s.tracking;
  if (!t.window || !(t.flags & TME_HOVER) || GetTickCount64() < t.hoverSince + t.hoverMs) return false;
  if (!IsWindow(t.window)) {
    t = Tracking{};
    return false;
  }
  PostMessageA(t.window, WM_MOUSEHOVER, s.buttons, ClientPoint(t.window, s.position));
  t.flags &= ~TME_HOVER;  // hover is reported once per request
  return true;
}

std::optional<std::uint64_t> NextDue() {
  std::optional<std::uint64_t> next = NextTimerDue();
  const Tracking& t = Pointer().tracking;
  if (t.window && (t.flags & TME_HOVER)) {
    const std::uint64_t hover = t.hoverSince + t.hoverMs;
    if (!next || hover < *next) next = hover;
  }
  return next;
}

void DeliverMouseMove(POINT screen) {
  PointerState& s = Pointer();
  s.position = screen;
  s.onScreen = true;
  HWND target = s.capture ? s.capture : WindowAt(screen);
  Tracking& t = s.tracking;
  if (t.window && t.window != target) Leave(t);
  if (t.window && (std::abs(screen.x - t.hoverAt.x) > kHoverSlop || std::abs(screen.y - t.hoverAt.y) > kHoverSlop)) {
    t.hoverSince = GetTickCount64();
    t.hoverAt = screen;
  }
  s.under = target;
  if (!target) return;
  SendMessageA(target, WM_SETCURSOR, WPARAM(target), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  PostMessageA(target, WM_MOUSEMOVE, s.buttons, ClientPoint(target, screen));
}

void DeliverMouseButton(MouseButton button, bool down, POINT screen) {
  DeliverMouseMove(screen);
  PointerState& s = Pointer();
  const WPARAM flag = button == MouseButton::Left ? MK_LBUTTON : MK_RBUTTON;
  if (down) s.buttons |= flag;
  else s.buttons &= ~flag;
  HWND target = s.capture ? s.capture : s.under;
  if (!target) return;
  if (down) {
    HWND top = TopLevelOf(target);
    if (top && top != GetActiveWindow()) SetActiveWindow(top);
  }
  UINT message = button == MouseButton::Left ? (down ? WM_LBUTTONDOWN : WM_LBUTTONUP) : (down ? WM_RBUTTONDOWN : WM_RBUTTONUP);
  PostMessageA(target, message, s.buttons, ClientPoint(target, screen));
}

void DeliverMouseLeftScreen() {
  PointerState& s = Pointer();
  s.onScreen = false;
  s.under = nullptr;
  if (s.tracking.window) Leave(s.tracking);
}

}  // namespace win::user

namespace win {

using namespace user;

HWND SetCapture(HWND window) {
  if (!IsWindow(window)) return nullptr;
  return std::exchange(Pointer().capture, window);
}

BOOL ReleaseCapture() {
  Pointer().capture = nullptr;
  return TRUE;
}

HWND GetCapture() { return Pointer().capture; }

BOOL TrackMouseEvent(TRACKMOUSEEVENT* track) {
  if (!track || track->cbSize != sizeof(TRACKMOUSEEVENT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  PointerState& s = Pointer();
  Tracking& t = s.tracking;
  if (track->dwFlags & TME_CANCEL) {
    if (t.window == track->hwndTrack) t.flags &= ~(track->dwFlags & (TME_HOVER | TME_LEAVE));
    return TRUE;
  }
  if (!IsWindow(track->hwndTrack)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (t.window && t.window != track->hwndTrack) Leave(t);
  // Asking for a leave notice while the pointer is elsewhere gives it at once.
  if ((track->dwFlags & TME_LEAVE) && s.under != track->hwndTrack) {
    PostMessageA(track->hwndTrack, WM_MOUSELEAVE, 0, 0);
    return TRUE;
  }
  t.window = track->hwndTrack;
  t.flags |= track->dwFlags & (TME_HOVER | TME_LEAVE);
  if (track->dwFlags & TME_HOVER) {
    t.hoverMs = track->dwHoverTime == HOVER_DEFAULT ? kDefaultHoverMs : track->dwHoverTime;
    t.hoverSince = GetTickCount64();
    t.hoverAt = s.position;
  }
  return TRUE;
}

HCURSOR SetCursor(HCURSOR cursor) {
  PointerState& s = Pointer();
  HCURSOR previous = std::exchange(s.cursor, cursor);
  if (previous != cursor && Display().cursorChanged) Display().cursorChanged(cursor);
  return previous;
}

HCURSOR GetCursor() { return Pointer().cursor; }

BOOL GetCursorPos(POINT* point) {
  if (!point) return FALSE;
  *point = Pointer().position;
  return TRUE;
}

HWND WindowFromPoint(POINT point) { return WindowAt(point); }

}  // namespace win
