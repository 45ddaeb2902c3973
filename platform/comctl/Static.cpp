// "Static": text in the window's font and colours.
#include "platform/comctl/ControlState.h"

namespace win::comctl {

namespace {

struct StaticState {
  HFONT font = nullptr;
};

UINT FormatOf(DWORD style) {
  UINT format = 0;
  switch (style & 0x1F) {
    case SS_CENTER: format = DT_CENTER | DT_WORDBREAK; break;
    case SS_RIGHT: format = DT_RIGHT | DT_WORDBREAK; break;
    case SS_LEFTNOWORDWRAP: format = DT_SINGLELINE; break;
    default: format = DT_WORDBREAK; break;
  }
  if (style & SS_CENTERIMAGE) format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
  if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  return format;
}

// The parent chooses the colours through WM_CTLCOLORSTATIC, as on the
// platform; it gets the button face when it does not answer.
HBRUSH Colours(HWND window, HDC dc) {
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  auto brush = reinterpret_cast<HBRUSH>(SendMessageA(GetParent(window), WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(window)));
  return brush ? brush : GetSysColorBrush(COLOR_BTNFACE);
}

void Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, Colours(window, dc));
  SetBkMode(dc, TRANSPARENT);
  SelectObject(dc, FontOrDefault(StateOf<StaticState>(window)->font));
  char text[4096];
  const int n = GetWindowTextA(window, text, sizeof text);
  DrawTextA(dc, text, n, &client, FormatOf(DWORD(GetWindowLongPtrA(window, GWL_STYLE))));
  EndPaint(window, &ps);
}

LRESULT StaticProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ManageState<StaticState>(window, message);
  switch (message) {
    case WM_ERASEBKGND: return 1;  // painted whole in WM_PAINT
    case WM_PAINT: Paint(window); return 0;
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      InvalidateRect(window, nullptr, TRUE);
      return result;
    }
    case WM_SETFONT:
      StateOf<StaticState>(window)->font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(ULONG_PTR(lParam))) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(StateOf<StaticState>(window)->font);
    case WM_NCHITTEST:
      // Without SS_NOTIFY the pointer goes through to the window below.
      return (GetWindowLongPtrA(window, GWL_STYLE) & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_LBUTTONUP:
      SendMessageA(GetParent(window), WM_COMMAND, WPARAM(MAKELPARAM(GetDlgCtrlID(window), STN_CLICKED)), LPARAM(window));
      return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

void RegisterStatic() { RegisterControlClass("Static", StaticProc, LoadCursorA(nullptr, IDC_ARROW)); }

}  // namespace win::comctl
