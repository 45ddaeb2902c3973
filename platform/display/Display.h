// The display: it composes top-level windows and their children from their
// surfaces, in z-order, into pictures of a window or of the whole virtual
// screen. Headless always; with DISPLAY set, top-level windows also appear
// as X11 windows.
#pragma once

#include <functional>
#include <string>

#include "platform/user/User.h"

namespace win::display {

// Registers the screen with GDI and, when DISPLAY is set and `useX11`,
// opens the X11 display. Safe to call more than once.
void Initialize(bool useX11 = true);
bool X11Active();

// A picture of a top-level window at its outer size (opaque windows with
// alpha 255), or of the screen. The caller deletes the bitmap.
HBITMAP ComposeWindow(HWND window);
HBITMAP ComposeScreen();

bool WritePng(HBITMAP picture, const std::string& path);
bool SnapshotWindow(HWND window, const std::string& path);
bool SnapshotScreen(const std::string& path);

// The window tree as JSON: class, identifier, text (UTF-8), rectangle on the
// screen, visibility, styles and children, plus what a class describer adds.
std::string WindowTreeJson();
// Extra members for windows of one class, written as `"name":value` pairs
// (without braces), e.g. a status bar's part texts.
void RegisterTreeDescriber(const std::string& className, std::function<std::string(HWND)> describe);
std::string JsonString(const std::string& utf8);

// Pointer events at screen coordinates, as a user's would arrive.
void MouseMove(int x, int y);
void MouseDown(int x, int y);
void MouseUp(int x, int y);
void Click(int x, int y);
void MouseLeave();

}  // namespace win::display
