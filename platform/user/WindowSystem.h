// The window system's own state, shared by platform/user and platform/display.
// Not for code above the substrate.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/user/User.h"

namespace win::user {

struct WindowClass {
  std::string name;
  UINT style = 0;
  WNDPROC proc = nullptr;
  int windowExtra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  bool system = false;  // registered by the substrate
};

struct Subclass {
  SUBCLASSPROC proc;
  UINT_PTR id;
  DWORD_PTR refData;
};

struct Timer {
  HWND window;
  UINT_PTR id;
  UINT period;
  std::uint64_t due;
  TIMERPROC proc;
};

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> windowClass;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  LONG_PTR id = 0;
  LONG_PTR userData = 0;
  HINSTANCE instance = nullptr;
  HWND parent = nullptr;       // for child windows
  HWND owner = nullptr;        // for top-level windows
  std::vector<HWND> children;  // top of the z-order first
  RECT rect{};                 // outer rectangle: parent client coordinates, or screen for top-level windows
  std::string text;
  std::vector<std::pair<std::string, HANDLE>> properties;
  std::vector<LONG_PTR> extra;
  std::vector<Subclass> subclasses;  // most recent first
  HBITMAP surface = nullptr;         // the client area's pixels
  HRGN update = nullptr;             // invalid part of the client area
  bool eraseNeeded = false;
  bool destroying = false;
  bool layeredContentSet = false;
  HBITMAP layeredContent = nullptr;  // what UpdateLayeredWindow gave
  HCURSOR cursor = nullptr;

  bool Visible() const { return style & WS_VISIBLE; }
  bool Child() const { return style & WS_CHILD; }
};

// ASCII lower case, for class and property names, which compare without case.
std::string Lower(std::string_view text);

// Frame widths of a window: left, top (caption included), right, bottom.
RECT FrameOf(DWORD style, DWORD exStyle, bool child);

std::shared_ptr<Window> FindWindow(HWND handle);
// Top-level windows, top of the z-order first.
std::vector<HWND> TopLevelWindows();
RECT ClientRectOnScreen(const Window& window);
int CaptionHeight();

// The virtual screen.
SIZE ScreenSize();
void SetScreenSize(SIZE size);

// What a display learns of the window system.
struct DisplayHooks {
  std::function<void(HWND)> windowChanged;  // shown, hidden, moved, resized, repainted, destroyed
  std::function<void(HCURSOR)> cursorChanged;
  std::function<bool(int timeoutMs)> waitForEvents;  // pumps platform events; true when some arrived
};
void SetDisplayHooks(DisplayHooks hooks);
void NotifyWindowChanged(HWND window);

// Mouse events at screen coordinates, as a display delivers them.
enum class MouseButton { NoButton, Left, Right };
void DeliverMouseMove(POINT screen);
void DeliverMouseButton(MouseButton button, bool down, POINT screen);
void DeliverMouseLeftScreen();

// Virtual time: called when the message loop has nothing to do. It may
// advance a virtual clock (to NextDue()) and return true to look again, or
// return false to wait for real time and events.
void SetIdleHandler(std::function<bool()> handler);
// The earliest moment (clock milliseconds) something is scheduled: a timer,
// a hover check. Empty when nothing is.
std::optional<std::uint64_t> NextDue();

// Shell open: the handler receives the verb and the file; the default runs
// xdg-open with the file as its one argument, never through a shell.
using ShellOpenHandler = std::function<bool(const std::string& verb, const std::string& file)>;
void SetShellOpenHandler(ShellOpenHandler handler);

// Icon resources of the executable: PNG bytes under an id or a name.
void RegisterIconResource(WORD id, const unsigned char* png, std::size_t size);
void RegisterIconResource(const std::string& name, const unsigned char* png, std::size_t size);

// Processes every pending message (posted, paints, due timers) and returns.
void PumpPendingMessages();

}  // namespace win::user
