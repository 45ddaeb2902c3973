// "Button": a push button that reports its click to its parent.
#include "platform/comctl/ControlState.h"

namespace win::comctl {

namespace {

struct ButtonState {
  HFONT font = nullptr;
  bool pressed = false;
};

void Notify(HWND window) {
  SendMessageA(GetParent(window), WM_COMMAND, WPARAM(MAKELPARAM(GetDlgCtrlID(window), BN_CLICKED)), LPARAM(window));
}

void Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT r;
  GetClientRect(window, &r);
  const bool pressed = StateOf<ButtonState>(window)->pressed;
  SelectObject(dc, GetStockObject(NULL_PEN));
  FillRect(dc, &r, GetSysColorBrush(pressed ? COLOR_BTNSHADOW : COLOR_BTNFACE));
  HPEN border = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW));
  SelectObject(dc, border);
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, r.left, r.top, r.right, r.bottom);
  SelectObject(dc, GetStockObject(BLACK_PEN));
  DeleteObject(border);
  PrepareText(dc, StateOf<ButtonState>(window)->font, GetSysColor(COLOR_BTNTEXT));
  char text[256];
  const int n = GetWindowTextA(window, text, sizeof text);
  DrawTextA(dc, text, n, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  EndPaint(window, &ps);
}

LRESULT ButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ManageState<ButtonState>(window, message);
  ButtonState* state = StateOf<ButtonState>(window);
  switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(window); return 0;
    case WM_SETFONT: state->font = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case WM_SETTEXT: {
      const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      InvalidateRect(window, nullptr, TRUE);
      return result;
    }
    case WM_LBUTTONDOWN:
      state->pressed = true;
      SetCapture(window);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_LBUTTONUP: {
      const bool wasPressed = state->pressed;
      state->pressed = false;
      ReleaseCapture();
      InvalidateRect(window, nullptr, FALSE);
      RECT r;
      GetClientRect(window, &r);
      const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (wasPressed && PtInRect(&r, p)) Notify(window);  // released over the button
      return 0;
    }
    case BM_CLICK: Notify(window); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

void RegisterButton() { RegisterControlClass("Button", ButtonProc, LoadCursorA(nullptr, IDC_ARROW)); }

}  // namespace win::comctl
