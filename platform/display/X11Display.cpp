// The X11 display: each visible top-level window is an X window of its
// outer size with its caption as title, showing the composed picture; the
// pointer's motion, buttons and leaving become mouse messages, the window's
// cursor becomes the X cursor, and closing the X window sends WM_CLOSE.
// Layered windows use a 32-bit visual where the server has one.
// Our headers before Xlib's, whose macros (None, Bool, Status) would
// otherwise meet their names.
#include "platform/display/X11Display.h"
#include "platform/display/Display.h"
#include "platform/gdi/GdiInternal.h"
#include "platform/kernel/CodePage.h"
#include "platform/user/Cursors.h"
#include "platform/user/WindowSystem.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/cursorfont.h>
#include <poll.h>

#include <algorithm>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace win::display::x11 {

namespace {

struct Shown {
  ::Window window = 0;
  RECT rect{};
  std::string title;
  bool mapped = false;
  bool layered = false;
};

struct X11 {
  Display* display = nullptr;
  int screen = 0;
  Atom deleteWindow = 0, netWmName = 0, utf8String = 0, motifHints = 0;
  XVisualInfo argb{};
  bool haveArgb = false;
  Colormap argbColormap = 0;
  Cursor arrow = 0, hand = 0;
  std::map<HWND, Shown> shown;
  std::set<HWND> dirty;
  HWND underPointer = nullptr;
};

X11& State() {
  static X11 x;
  return x;
}

HWND TopLevelOf(HWND handle) {
  auto w = user::FindWindow(handle);
  while (w && w->Child()) w = user::FindWindow(w->parent);
  return w ? w->handle : handle;
}

HWND WindowOfX(::Window xw) {
  for (const auto& [hwnd, s] : State().shown)
    if (s.window == xw) return hwnd;
  return nullptr;
}

void SetTitle(X11& x, Shown& s, const std::string& ansi) {
  const std::string utf8 = Utf8FromAnsi(ansi);
  XStoreName(x.display, s.window, utf8.c_str());
  XChangeProperty(x.display, s.window, x.netWmName, x.utf8String, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(utf8.data()), int(utf8.size()));
  s.title = ansi;
}

Shown Create(X11& x, const user::Window& w) {
  Shown s;
  s.rect = w.rect;
  s.layered = (w.exStyle & WS_EX_LAYERED) && x.haveArgb;
  XSetWindowAttributes attributes{};
  unsigned long mask = CWEventMask | CWBackPixel | CWBorderPixel;
  attributes.event_mask = ExposureMask | PointerMotionMask | ButtonPressMask | ButtonReleaseMask | LeaveWindowMask |
                          StructureNotifyMask;
  attributes.background_pixel = 0;
  attributes.border_pixel = 0;
  // Windows without a caption (tooltips, pop-ups, layered windows) are
  // placed exactly and left undecorated, as the platform shows them.
  const bool popup = (w.style & WS_CAPTION) != WS_CAPTION;
  if (popup) {
    attributes.override_redirect = True;
    mask |= CWOverrideRedirect;
  }
  Visual* visual = DefaultVisual(x.display, x.screen);
  int depth = DefaultDepth(x.display, x.screen);
  if (s.layered) {
    visual = x.argb.visual;
    depth = x.argb.depth;
    attributes.colormap = x.argbColormap;
    mask |= CWColormap;
  }
  const int width = std::max<LONG>(1, w.rect.right - w.rect.left), height = std::max<LONG>(1, w.rect.bottom - w.rect.top);
  s.window = XCreateWindow(x.display, RootWindow(x.display, x.screen), w.rect.left, w.rect.top, unsigned(width),
                           unsigned(height), 0, depth, InputOutput, visual, mask, &attributes);
  XSetWMProtocols(x.display, s.window, &x.deleteWindow, 1);
  // Our own frame and caption are drawn into the picture: no decorations.
  const long hints[5] = {2, 0, 0, 0, 0};
  XChangeProperty(x.display, s.window, x.motifHints, x.motifHints, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(hints), 5);
  XSizeHints size{};
  size.flags = PPosition | USPosition | PMinSize | PMaxSize;
  size.x = w.rect.left;
  size.y = w.rect.top;
  size.min_width = size.max_width = width;
  size.min_height = size.max_height = height;
  XSetWMNormalHints(x.display, s.window, &size);
  SetTitle(x, s, w.text);
  XDefineCursor(x.display, s.window, x.arrow);
  return s;
}

void Present(X11& x, HWND hwnd, const Shown& s) {
  HBITMAP picture = ComposeWindow(hwnd);
  if (!picture) return;
  const gdi::PixelView view = gdi::PixelsOf(picture);
  Visual* visual = s.layered ? x.argb.visual : DefaultVisual(x.display, x.screen);
  const int depth = s.layered ? x.argb.depth : DefaultDepth(x.display, x.screen);
  XImage* image = XCreateImage(x.display, visual, unsigned(depth), ZPixmap, 0, reinterpret_cast<char*>(view.data),
                               unsigned(view.width), unsigned(view.height), 32, view.stride);
  if (image) {
    GC gc = XCreateGC(x.display, s.window, 0, nullptr);
    XPutImage(x.display, s.window, gc, image, 0, 0, 0, 0, unsigned(view.width), unsigned(view.height));
    XFreeGC(x.display, gc);
    image->data = nullptr;  // the pixels are the bitmap's
    XDestroyImage(image);
  }
  DeleteObject(picture);
}

// Brings the X windows in line with the top-level windows that changed.
void Flush() {
  X11& x = State();
  const std::set<HWND> changed = std::exchange(x.dirty, {});
  for (HWND hwnd : changed) {
    auto w = user::FindWindow(hwnd);
    auto it = x.shown.find(hwnd);
    if (!w) {
      if (it != x.shown.end()) {
        XDestroyWindow(x.display, it->second.window);
        x.shown.erase(it);
      }
      continue;
    }
    if (!w->Visible()) {
      if (it != x.shown.end() && it->second.mapped) {
        XUnmapWindow(x.display, it->second.window);
        it->second.mapped = false;
      }
      continue;
    }
    if (it == x.shown.end()) it = x.shown.emplace(hwnd, Create(x, *w)).first;
    Shown& s = it->second;
    if (!(s.rect == w->rect)) {
      XMoveResizeWindow(x.display, s.window, w->rect.left, w->rect.top, unsigned(std::max<LONG>(1, w->rect.right - w->rect.left)),
                        unsigned(std::max<LONG>(1, w->rect.bottom - w->rect.top)));
      s.rect = w->rect;
    }
    if (s.title != w->text) SetTitle(x, s, w->text);
    if (!s.mapped) {
      XMapRaised(x.display, s.window);
      s.mapped = true;
    }
    Present(x, hwnd, s);
  }
  XFlush(x.display);
}

void Handle(X11& x, XEvent& e) {
  switch (e.type) {
    case Expose:
      if (HWND h = WindowOfX(e.xexpose.window)) x.dirty.insert(h);
      break;
    case MotionNotify:
      x.underPointer = WindowOfX(e.xmotion.window);
      user::DeliverMouseMove(POINT{e.xmotion.x_root, e.xmotion.y_root});
      break;
    case ButtonPress:
    case ButtonRelease: {
      const auto button = e.xbutton.button == Button1 ? user::MouseButton::Left
                          : e.xbutton.button == Button3 ? user::MouseButton::Right
                                                        : user::MouseButton::NoButton;
      if (button != user::MouseButton::NoButton)
        user::DeliverMouseButton(button, e.type == ButtonPress, POINT{e.xbutton.x_root, e.xbutton.y_root});
      break;
    }
    case LeaveNotify:
      if (e.xcrossing.mode == NotifyNormal) {
        x.underPointer = nullptr;
        user::DeliverMouseLeftScreen();
      }
      break;
    case ConfigureNotify: {
      // The window manager may have moved the window: follow it.
      HWND h = WindowOfX(e.xconfigure.window);
      auto w = user::FindWindow(h);
      if (w && !e.xconfigure.send_event) break;
      if (w && (w->rect.left != e.xconfigure.x || w->rect.top != e.xconfigure.y)) {
        x.shown[h].rect = RECT{e.xconfigure.x, e.xconfigure.y, e.xconfigure.x + (w->rect.right - w->rect.left),
                               e.xconfigure.y + (w->rect.bottom - w->rect.top)};
        SetWindowPos(h, nullptr, e.xconfigure.x, e.xconfigure.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      break;
    }
    case ClientMessage:
      if (Atom(e.xclient.data.l[0]) == x.deleteWindow)
        if (HWND h = WindowOfX(e.xclient.window)) PostMessageA(h, WM_CLOSE, 0, 0);
      break;
    default: break;
  }
}

bool Wait(int timeoutMs) {
  X11& x = State();
  Flush();
  bool any = false;
  if (XPending(x.display) == 0) {
    pollfd fd{ConnectionNumber(x.display), POLLIN, 0};
    poll(&fd, 1, timeoutMs);
  }
  while (XPending(x.display) > 0) {
    XEvent e;
    XNextEvent(x.display, &e);
    Handle(x, e);
    any = true;
  }
  return any;
}

}  // namespace

bool Open() {
  X11& x = State();
  x.display = XOpenDisplay(nullptr);
  if (!x.display) return false;
  x.screen = DefaultScreen(x.display);
  x.deleteWindow = XInternAtom(x.display, "WM_DELETE_WINDOW", False);
  x.netWmName = XInternAtom(x.display, "_NET_WM_NAME", False);
  x.utf8String = XInternAtom(x.display, "UTF8_STRING", False);
  x.motifHints = XInternAtom(x.display, "_MOTIF_WM_HINTS", False);
  x.haveArgb = XMatchVisualInfo(x.display, x.screen, 32, TrueColor, &x.argb) != 0;
  if (x.haveArgb)
    x.argbColormap = XCreateColormap(x.display, RootWindow(x.display, x.screen), x.argb.visual, AllocNone);
  x.arrow = XCreateFontCursor(x.display, XC_left_ptr);
  x.hand = XCreateFontCursor(x.display, XC_hand2);
  user::SetScreenSize(SIZE{DisplayWidth(x.display, x.screen), DisplayHeight(x.display, x.screen)});
  user::SetDisplayHooks(user::DisplayHooks{
      [](HWND window) { State().dirty.insert(TopLevelOf(window)); },
      [](HCURSOR cursor) {
        X11& s = State();
        auto it = s.shown.find(TopLevelOf(s.underPointer));
        if (it == s.shown.end()) return;
        const user::CursorKind shape = user::CursorKindOf(cursor);
        XDefineCursor(s.display, it->second.window, shape == user::CursorKind::Hand ? s.hand : s.arrow);
      },
      Wait,
  });
  return true;
}

bool ProcessEvents(int timeoutMs) { return State().display && Wait(timeoutMs); }

std::uint64_t XWindowOf(HWND window) {
  auto it = State().shown.find(window);
  return it == State().shown.end() ? 0 : std::uint64_t(it->second.window);
}

}  // namespace win::display::x11
