// Each control keeps its state in an object owned through the window's
// first extra slot, made at WM_NCCREATE and freed at WM_NCDESTROY.
#pragma once

#include "platform/comctl/CommCtrl.h"
#include "platform/user/UserInternal.h"

namespace win::comctl {

template <typename State>
State* StateOf(HWND window) {
  return reinterpret_cast<State*>(GetWindowLongPtrA(window, 0));
}

// Runs the state's life cycle; returns true when the message was one of it.
template <typename State>
bool ManageState(HWND window, UINT message) {
  if (message == WM_NCCREATE) {
    SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(new State()));
  } else if (message == WM_NCDESTROY) {
    delete StateOf<State>(window);
    SetWindowLongPtrA(window, 0, 0);
  }
  return false;
}

void RegisterControlClass(const char* name, WNDPROC proc, HCURSOR cursor = nullptr, HBRUSH background = nullptr);
HFONT FontOrDefault(HFONT font);
// Readies a control's paint DC for its text: the font (or the default), a
// transparent background, the colour.
void PrepareText(HDC dc, HFONT font, COLORREF colour);
void RegisterDescribers();
// ANSI text as a JSON string of UTF-8.
std::string DescribeText(const std::string& ansi);

}  // namespace win::comctl
