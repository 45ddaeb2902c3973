// Classes, windows, their tree and geometry, window longs, properties,
// subclass hooks, texts and the default window procedure.
#include <algorithm>
#include <cctype>
#include <cstring>

#include "platform/gdi/GdiInternal.h"
#include "platform/kernel/HandleTable.h"
#include "platform/user/UserInternal.h"

namespace win::user {

std::string Lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

namespace {

struct Registry {
  HandleTable<HWND, Window> windows;
  std::map<std::string, std::shared_ptr<WindowClass>> classes;  // by lower-case name
  std::vector<HWND> topLevel;                                    // top of the z-order first
  HWND active = nullptr;
  SIZE screen{1280, 800};
  DisplayHooks display;
};

Registry& State() {
  static auto* registry = new Registry();
  return *registry;
}

constexpr int kCaption = 22;
constexpr int kFrame = 3;

}  // namespace

int CaptionHeight() { return kCaption; }

RECT FrameOf(DWORD style, DWORD exStyle, bool child) {
  RECT frame{0, 0, 0, 0};
  int border = 0;
  if (!child && (style & (WS_CAPTION | WS_THICKFRAME | WS_DLGFRAME))) border = kFrame;
  else if (style & WS_BORDER) border = 1;
  if (exStyle & WS_EX_CLIENTEDGE) border += 2;
  frame = RECT{border, border, border, border};
  if ((style & WS_CAPTION) == WS_CAPTION) frame.top += kCaption;
  return frame;
}

std::shared_ptr<Window> FindWindow(HWND handle) { return State().windows.Find(handle); }
std::vector<HWND> TopLevelWindows() { return State().topLevel; }
SIZE ScreenSize() { return State().screen; }
void SetScreenSize(SIZE size) { State().screen = size; }
void SetDisplayHooks(DisplayHooks hooks) { State().display = std::move(hooks); }
const DisplayHooks& Display() { return State().display; }

void NotifyWindowChanged(HWND window) {
  if (State().display.windowChanged) State().display.windowChanged(window);
}

RECT ClientRectOnScreen(const Window& window) {
  const RECT frame = FrameOf(window.style, window.exStyle, window.Child());
  RECT r{window.rect.left + frame.left, window.rect.top + frame.top, window.rect.right - frame.right,
         window.rect.bottom - frame.bottom};
  if (window.Child()) {
    if (auto parent = FindWindow(window.parent)) {
      const RECT p = ClientRectOnScreen(*parent);
      OffsetRect(&r, p.left, p.top);
    }
  }
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

SIZE ClientSize(const Window& window) {
  const RECT r = ClientRectOnScreen(window);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// The client surface follows the client size; a new one is all invalid.
void ResizeSurface(Window& window) {
  const SIZE size = ClientSize(window);
  if (window.surface) {
    BITMAP record{};
    GetObjectA(window.surface, sizeof record, &record);
    if (record.bmWidth == std::max<LONG>(size.cx, 1) && record.bmHeight == std::max<LONG>(size.cy, 1)) return;
    DeleteObject(window.surface);
  }
  window.surface = CreateCompatibleBitmap(nullptr, std::max<LONG>(size.cx, 1), std::max<LONG>(size.cy, 1));
}

HWND AddWindow(std::shared_ptr<Window> window) { return State().windows.Add(std::move(window)); }
void RemoveWindow(HWND handle) { State().windows.Remove(handle); }

std::shared_ptr<WindowClass> FindClass(std::string_view name) {
  auto& classes = State().classes;
  auto it = classes.find(Lower(name));
  return it == classes.end() ? nullptr : it->second;
}

void UnregisterClass(const std::string& name) { State().classes.erase(Lower(name)); }

bool AddClass(std::shared_ptr<WindowClass> windowClass) {
  auto& classes = State().classes;
  const std::string key = Lower(windowClass->name);
  if (classes.count(key)) return false;
  classes.emplace(key, std::move(windowClass));
  return true;
}

void RegisterSystemClass(const char* name, WNDPROC proc, UINT style, HCURSOR cursor, HBRUSH background) {
  auto c = std::make_shared<WindowClass>();
  c->name = name;
  c->proc = proc;
  c->style = style;
  c->cursor = cursor;
  c->background = background;
  c->system = true;
  AddClass(std::move(c));
}

std::vector<HWND>& TopLevelOrder() { return State().topLevel; }
HWND& ActiveWindow() { return State().active; }

// Places a top-level window in the z-order: topmost ones stay above the rest.
void PlaceInZOrder(HWND handle, HWND insertAfter) {
  auto& order = State().topLevel;
  order.erase(std::remove(order.begin(), order.end(), handle), order.end());
  auto window = FindWindow(handle);
  const bool topmost = window && (window->exStyle & WS_EX_TOPMOST);
  auto isTopmost = [](HWND h) {
    auto w = FindWindow(h);
    return w && (w->exStyle & WS_EX_TOPMOST);
  };
  if (insertAfter == HWND_BOTTOM) {
    order.push_back(handle);
  } else if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
    auto at = topmost ? order.begin() : std::find_if_not(order.begin(), order.end(), isTopmost);
    order.insert(at, handle);
  } else {
    auto it = std::find(order.begin(), order.end(), insertAfter);
    order.insert(it == order.end() ? order.end() : it + 1, handle);
  }
}

}  // namespace win::user

namespace win {

using namespace user;

namespace {

std::shared_ptr<Window> Live(HWND handle) {
  auto window = FindWindow(handle);
  if (!window) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return window;
}

}  // namespace

ATOM RegisterClassExA(const WNDCLASSEXA* wc) {
  if (!wc || wc->cbSize != sizeof(WNDCLASSEXA) || !wc->lpszClassName || !wc->lpfnWndProc) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  EnsureSystemClasses();
  auto c = std::make_shared<WindowClass>();
  c->name = wc->lpszClassName;
  c->style = wc->style;
  c->proc = wc->lpfnWndProc;
  c->windowExtra = std::max(0, wc->cbWndExtra);
  c->instance = wc->hInstance;
  c->icon = wc->hIcon;
  c->cursor = wc->hCursor;
  c->background = wc->hbrBackground;
  if (!AddClass(c)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  static ATOM next = 0xC000;
  return next++;
}

BOOL UnregisterClassA(LPCSTR name, HINSTANCE) {
  auto c = name ? FindClass(name) : nullptr;
  if (!c || c->system) return FALSE;
  UnregisterClass(c->name);
  return TRUE;
}

BOOL GetClassInfoExA(HINSTANCE, LPCSTR name, WNDCLASSEXA* out) {
  EnsureSystemClasses();
  auto c = name ? FindClass(name) : nullptr;
  if (!c || !out) return FALSE;
  *out = WNDCLASSEXA{sizeof(WNDCLASSEXA), c->style, c->proc, 0, c->windowExtra, c->instance, c->icon,
                     c->cursor, c->background, nullptr, name, c->icon};
  return TRUE;
}

int GetClassNameA(HWND handle, LPSTR buffer, int size) {
  auto window = Live(handle);
  if (!window || !buffer || size <= 0) return 0;
  const std::string& name = window->windowClass->name;
  const int n = std::min<int>(size - 1, int(name.size()));
  std::memcpy(buffer, name.data(), std::size_t(n));
  buffer[n] = '\0';
  return n;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  EnsureSystemClasses();
  auto windowClass = className ? FindClass(className) : nullptr;
  if (!windowClass) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  const bool child = style & WS_CHILD;
  auto parentWindow = parent ? FindWindow(parent) : nullptr;
  if (child && !parentWindow) {
    SetLastError(ERROR_TLW_WITH_WSCHILD);
    return nullptr;
  }
  if (x == CW_USEDEFAULT) x = y = 64;
  if (width == CW_USEDEFAULT) {
    width = 640;
    height = 480;
  }

  auto window = std::make_shared<Window>();
  window->windowClass = windowClass;
  window->proc = windowClass->proc;
  window->style = style & ~WS_VISIBLE;
  window->exStyle = exStyle;
  window->instance = instance;
  window->rect = RECT{x, y, x + std::max(0, width), y + std::max(0, height)};
  window->extra.assign(std::size_t(windowClass->windowExtra + 7) / 8, 0);
  window->cursor = windowClass->cursor;
  if (child) {
    window->parent = parent;
    window->id = LONG_PTR(menu);
  } else {
    window->owner = parent;
  }
  HWND handle = AddWindow(window);
  window->handle = handle;
  if (child) parentWindow->children.insert(parentWindow->children.begin(), handle);
  else PlaceInZOrder(handle, (exStyle & WS_EX_TOPMOST) ? HWND_TOPMOST : HWND_TOP);
  ResizeSurface(*window);
  window->update = CreateRectRgn(0, 0, 0, 0);

  CREATESTRUCTA create{param, instance, menu, parent, height, width, y, x, LONG(style), windowName, className, exStyle};
  if (!SendMessageA(handle, WM_NCCREATE, 0, LPARAM(&create)) || SendMessageA(handle, WM_CREATE, 0, LPARAM(&create)) == -1) {
    DestroyWindow(handle);
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!IsWindow(handle)) return nullptr;
  const SIZE size = ClientSize(*window);
  SendMessageA(handle, WM_SIZE, 0, MAKELPARAM(size.cx, size.cy));
  SendMessageA(handle, WM_MOVE, 0, MAKELPARAM(window->rect.left, window->rect.top));
  if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
  return handle;
}

BOOL DestroyWindow(HWND handle) {
  auto window = Live(handle);
  if (!window) return FALSE;
  if (window->destroying) return TRUE;
  window->destroying = true;
  const bool wasVisible = window->Visible();
  window->style &= ~WS_VISIBLE;
  // Owned top-level windows go first, as on the platform.
  for (HWND other : TopLevelWindows())
    if (auto w = FindWindow(other); w && w->owner == handle) DestroyWindow(other);
  ForgetWindowInput(handle);
  KillWindowTimers(handle);
  SendMessageA(handle, WM_DESTROY, 0, 0);
  // Children are destroyed after their parent heard WM_DESTROY.
  const std::vector<HWND> children = window->children;
  for (HWND c : children) DestroyWindow(c);
  SendMessageA(handle, WM_NCDESTROY, 0, 0);
  if (auto parent = FindWindow(window->parent)) {
    auto& siblings = parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), handle), siblings.end());
    if (wasVisible) InvalidateRect(window->parent, nullptr, TRUE);
  }
  auto& order = TopLevelOrder();
  order.erase(std::remove(order.begin(), order.end(), handle), order.end());
  if (ActiveWindow() == handle) {
    ActiveWindow() = nullptr;
    for (HWND h : order)
      if (auto w = FindWindow(h); w && w->Visible() && !(w->exStyle & WS_EX_NOACTIVATE)) {
        ActiveWindow() = h;
        break;
      }
  }
  if (window->surface) DeleteObject(window->surface);
  if (window->update) DeleteObject(window->update);
  if (window->layeredContent) DeleteObject(window->layeredContent);
  RemoveWindow(handle);
  NotifyWindowChanged(handle);
  return TRUE;
}

BOOL IsWindow(HWND handle) { return FindWindow(handle) != nullptr; }

BOOL IsWindowVisible(HWND handle) {
  for (auto w = FindWindow(handle); w; w = FindWindow(w->parent))
    if (!w->Visible()) return FALSE;
  return FindWindow(handle) != nullptr;
}

BOOL IsWindowEnabled(HWND handle) {
  auto w = FindWindow(handle);
  return w && !(w->style & WS_DISABLED);
}

BOOL EnableWindow(HWND handle, BOOL enable) {
  auto w = Live(handle);
  if (!w) return FALSE;
  const BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
  if (enable) w->style &= ~WS_DISABLED;
  else w->style |= WS_DISABLED;
  if (wasDisabled == (enable ? TRUE : FALSE)) SendMessageA(handle, WM_ENABLE, enable ? 1 : 0, 0);
  return wasDisabled;
}

HWND GetParent(HWND handle) {
  auto w = Live(handle);
  if (!w) return nullptr;
  return w->Child() ? w->parent : w->owner;
}

BOOL IsChild(HWND parent, HWND handle) {
  for (auto w = FindWindow(handle); w && w->Child(); w = FindWindow(w->parent))
    if (w->parent == parent) return TRUE;
  return FALSE;
}

HWND GetDlgItem(HWND dialog, int id) {
  auto w = Live(dialog);
  if (!w) return nullptr;
  for (HWND c : w->children)
    if (auto child = FindWindow(c); child && child->id == id) return c;
  return nullptr;
}

int GetDlgCtrlID(HWND handle) {
  auto w = Live(handle);
  return w && w->Child() ? int(w->id) : 0;
}

HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
  for (HWND h : TopLevelWindows()) {
    auto w = FindWindow(h);
    if (!w) continue;
    if (className && Lower(w->windowClass->name) != Lower(className)) continue;
    if (windowName && w->text != windowName) continue;
    return h;
  }
  return nullptr;
}

HWND GetActiveWindow() { return ActiveWindow(); }
HWND GetForegroundWindow() { return ActiveWindow(); }
HWND GetDesktopWindow() { return nullptr; }

HWND SetActiveWindow(HWND handle) {
  auto w = FindWindow(handle);
  HWND previous = ActiveWindow();
  if (!w || w->Child() || previous == handle) return previous;
  ActiveWindow() = handle;
  if (IsWindow(previous)) SendMessageA(previous, WM_ACTIVATE, 0, LPARAM(handle));
  SendMessageA(handle, WM_ACTIVATE, 1, LPARAM(previous));
  return previous;
}

BOOL ShowWindow(HWND handle, int command) {
  auto w = Live(handle);
  if (!w) return FALSE;
  const BOOL wasVisible = w->Visible() ? TRUE : FALSE;
  const bool show = command != SW_HIDE;
  if (show != bool(wasVisible)) {
    SendMessageA(handle, WM_SHOWWINDOW, show ? 1 : 0, 0);
    if (show) w->style |= WS_VISIBLE;
    else w->style &= ~WS_VISIBLE;
    if (show) InvalidateRect(handle, nullptr, TRUE);
    if (w->Child()) InvalidateRect(w->parent, nullptr, TRUE);
    NotifyWindowChanged(handle);
  }
  if (show && !w->Child() && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE &&
      !(w->exStyle & WS_EX_NOACTIVATE))
    SetActiveWindow(handle);
  if (!show && ActiveWindow() == handle) ActiveWindow() = nullptr;
  return wasVisible;
}

BOOL SetWindowPos(HWND handle, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  auto w = Live(handle);
  if (!w) return FALSE;
  if (!(flags & SWP_NOZORDER)) {
    if (insertAfter == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
    if (insertAfter == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
    if (!w->Child()) {
      PlaceInZOrder(handle, insertAfter);
    } else if (auto parent = FindWindow(w->parent)) {
      auto& siblings = parent->children;
      siblings.erase(std::remove(siblings.begin(), siblings.end(), handle), siblings.end());
      siblings.insert(insertAfter == HWND_BOTTOM ? siblings.end() : siblings.begin(), handle);
    }
  }
  const SIZE before = ClientSize(*w);
  const RECT old = w->rect;
  RECT r = w->rect;
  if (!(flags & SWP_NOMOVE)) OffsetRect(&r, x - r.left, y - r.top);
  if (!(flags & SWP_NOSIZE)) {
    r.right = r.left + std::max(0, cx);
    r.bottom = r.top + std::max(0, cy);
  }
  w->rect = r;
  const SIZE after = ClientSize(*w);
  if (before.cx != after.cx || before.cy != after.cy) {
    ResizeSurface(*w);
    InvalidateRect(handle, nullptr, TRUE);
    SendMessageA(handle, WM_SIZE, 0, MAKELPARAM(after.cx, after.cy));
  }
  if (old.left != r.left || old.top != r.top) SendMessageA(handle, WM_MOVE, 0, MAKELPARAM(r.left, r.top));
  if (w->Child() && !(old == r) && !(flags & SWP_NOREDRAW)) InvalidateRect(w->parent, nullptr, TRUE);
  if (flags & SWP_SHOWWINDOW) ShowWindow(handle, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(handle, SW_HIDE);
  NotifyWindowChanged(handle);
  return TRUE;
}

BOOL MoveWindow(HWND handle, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(handle, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL GetClientRect(HWND handle, RECT* rect) {
  auto w = Live(handle);
  if (!w || !rect) return FALSE;
  const SIZE size = ClientSize(*w);
  *rect = RECT{0, 0, size.cx, size.cy};
  return TRUE;
}

BOOL GetWindowRect(HWND handle, RECT* rect) {
  auto w = Live(handle);
  if (!w || !rect) return FALSE;
  *rect = w->rect;
  if (w->Child()) {
    if (auto parent = FindWindow(w->parent)) {
      const RECT p = ClientRectOnScreen(*parent);
      OffsetRect(rect, p.left, p.top);
    }
  }
  return TRUE;
}

BOOL ClientToScreen(HWND handle, POINT* point) {
  auto w = Live(handle);
  if (!w || !point) return FALSE;
  const RECT r = ClientRectOnScreen(*w);
  point->x += r.left;
  point->y += r.top;
  return TRUE;
}

BOOL ScreenToClient(HWND handle, POINT* point) {
  auto w = Live(handle);
  if (!w || !point) return FALSE;
  const RECT r = ClientRectOnScreen(*w);
  point->x -= r.left;
  point->y -= r.top;
  return TRUE;
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL, DWORD exStyle) {
  if (!rect) return FALSE;
  const RECT f = FrameOf(style, exStyle, style & WS_CHILD);
  *rect = RECT{rect->left - f.left, rect->top - f.top, rect->right + f.right, rect->bottom + f.bottom};
  return TRUE;
}

int GetSystemMetrics(int index) {
  const SIZE screen = ScreenSize();
  switch (index) {
    case SM_CXSCREEN:
    case SM_CXVIRTUALSCREEN: return screen.cx;
    case SM_CYSCREEN:
    case SM_CYVIRTUALSCREEN: return screen.cy;
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CYCAPTION: return CaptionHeight();
    case SM_CXFRAME:
    case SM_CYFRAME: return 3;
    case SM_CXICON:
    case SM_CYICON: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    default: return 0;
  }
}

LONG_PTR GetWindowLongPtrA(HWND handle, int index) {
  auto w = Live(handle);
  if (!w) return 0;
  switch (index) {
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT: return reinterpret_cast<LONG_PTR>(w->Child() ? w->parent : w->owner);
    case GWLP_ID: return w->id;
    case GWL_STYLE: return LONG_PTR(LONG(w->style));
    case GWL_EXSTYLE: return LONG_PTR(w->exStyle);
    case GWLP_USERDATA: return w->userData;
    default:
      if (index >= 0 && index % 8 == 0 && std::size_t(index / 8) < w->extra.size()) return w->extra[std::size_t(index / 8)];
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
}

LONG_PTR SetWindowLongPtrA(HWND handle, int index, LONG_PTR value) {
  auto w = Live(handle);
  if (!w) return 0;
  LONG_PTR previous = GetWindowLongPtrA(handle, index);
  switch (index) {
    case GWLP_WNDPROC:
      if (value == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      w->proc = reinterpret_cast<WNDPROC>(value);
      break;
    case GWLP_ID: w->id = value; break;
    case GWL_STYLE: w->style = DWORD(value); break;
    case GWL_EXSTYLE: w->exStyle = DWORD(value); break;
    case GWLP_USERDATA: w->userData = value; break;
    case GWLP_HINSTANCE: w->instance = reinterpret_cast<HINSTANCE>(value); break;
    default:
      if (index >= 0 && index % 8 == 0 && std::size_t(index / 8) < w->extra.size()) {
        w->extra[std::size_t(index / 8)] = value;
        break;
      }
      SetLastError(ERROR_INVALID_INDEX);
      return 0;
  }
  SetLastError(ERROR_SUCCESS);
  return previous;
}

LRESULT CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(window, message, wParam, lParam) : 0;
}

BOOL SetPropA(HWND handle, LPCSTR name, HANDLE value) {
  auto w = Live(handle);
  if (!w || !name) return FALSE;
  const std::string key = Lower(name);
  for (auto& [n, v] : w->properties)
    if (n == key) {
      v = value;
      return TRUE;
    }
  w->properties.emplace_back(key, value);
  return TRUE;
}

HANDLE GetPropA(HWND handle, LPCSTR name) {
  auto w = FindWindow(handle);
  if (!w || !name) return nullptr;
  const std::string key = Lower(name);
  for (const auto& [n, v] : w->properties)
    if (n == key) return v;
  return nullptr;
}

HANDLE RemovePropA(HWND handle, LPCSTR name) {
  auto w = FindWindow(handle);
  if (!w || !name) return nullptr;
  const std::string key = Lower(name);
  for (auto it = w->properties.begin(); it != w->properties.end(); ++it)
    if (it->first == key) {
      HANDLE value = it->second;
      w->properties.erase(it);
      return value;
    }
  return nullptr;
}

BOOL SetWindowSubclass(HWND handle, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR refData) {
  auto w = Live(handle);
  if (!w || !proc) return FALSE;
  for (auto& s : w->subclasses)
    if (s.proc == proc && s.id == id) {
      s.refData = refData;
      return TRUE;
    }
  w->subclasses.insert(w->subclasses.begin(), Subclass{proc, id, refData});
  return TRUE;
}

BOOL RemoveWindowSubclass(HWND handle, SUBCLASSPROC proc, UINT_PTR id) {
  auto w = FindWindow(handle);
  if (!w) return FALSE;
  auto& list = w->subclasses;
  const auto before = list.size();
  list.erase(std::remove_if(list.begin(), list.end(), [&](const Subclass& s) { return s.proc == proc && s.id == id; }),
             list.end());
  return list.size() != before;
}

BOOL SetWindowTextA(HWND handle, LPCSTR text) {
  if (!IsWindow(handle)) return FALSE;
  return SendMessageA(handle, WM_SETTEXT, 0, LPARAM(text ? text : "")) ? TRUE : FALSE;
}

int GetWindowTextA(HWND handle, LPSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  buffer[0] = '\0';
  if (!IsWindow(handle)) return 0;
  return int(SendMessageA(handle, WM_GETTEXT, WPARAM(size), LPARAM(buffer)));
}

int GetWindowTextLengthA(HWND handle) {
  if (!IsWindow(handle)) return 0;
  return int(SendMessageA(handle, WM_GETTEXTLENGTH, 0, 0));
}

LRESULT DefWindowProcA(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  auto w = FindWindow(handle);
  if (!w) return 0;
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
      if (create && create->lpszName) w->text = create->lpszName;
      return TRUE;
    }
    case WM_SETTEXT:
      w->text = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
      NotifyWindowChanged(handle);
      return TRUE;
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<LPSTR>(lParam);
      const int size = int(wParam);
      if (!buffer || size <= 0) return 0;
      const int n = std::min<int>(size - 1, int(w->text.size()));
      std::memcpy(buffer, w->text.data(), std::size_t(n));
      buffer[n] = '\0';
      return n;
    }
    case WM_GETTEXTLENGTH: return LRESULT(w->text.size());
    case WM_CLOSE: DestroyWindow(handle); return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(handle, &ps);
      EndPaint(handle, &ps);
      return 0;
    }
    case WM_ERASEBKGND: return EraseWithClassBrush(*w, reinterpret_cast<HDC>(wParam));
    case WM_NCHITTEST: return HTCLIENT;
    case WM_SETCURSOR: {
      // A child asks its parent first, as on the platform.
      if (w->Child() && SendMessageA(w->parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
      if (LOWORD(ULONG_PTR(lParam)) == HTCLIENT && w->cursor) {
        SetCursor(w->cursor);
        return TRUE;
      }
      return FALSE;
    }
    case WM_MOUSEACTIVATE: return 1;
    default: return 0;
  }
}

}  // namespace win
