// The message box: a modal dialog with an icon, the text and an OK button,
// closed by the button, by WM_CLOSE, or by its time-out.
#include <algorithm>

#include "platform/kernel/CodePage.h"
#include "platform/kernel/Thread.h"
#include "platform/user/UserInternal.h"

namespace win::user {

namespace {

constexpr const char* kDialogClass = "#32770";
constexpr UINT_PTR kTimeoutTimer = 0x4D42;
constexpr int kIconSize = 32;
constexpr int kMargin = 16;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;

struct BoxState {
  std::string text;
  UINT type = 0;
  int result = IDOK;
  RECT textRect{};
  RECT buttonRect{};
  bool ownButton = false;  // painted here when there is no "Button" class
};

BoxState* StateOf(HWND box) { return reinterpret_cast<BoxState*>(GetWindowLongPtrA(box, GWLP_USERDATA)); }

void Finish(HWND box, int result) {
  if (BoxState* s = StateOf(box)) s->result = result;
  DestroyWindow(box);
}

// The error icon: a red disc with a white cross.
void PaintErrorIcon(HDC dc, int left, int top) {
  const double c = kIconSize / 2.0 - 0.5, radius = kIconSize / 2.0 - 1;
  for (int y = 0; y < kIconSize; ++y)
    for (int x = 0; x < kIconSize; ++x) {
      const double dx = x - c, dy = y - c;
      if (dx * dx + dy * dy > radius * radius) continue;
      const bool cross = std::abs(std::abs(dx) - std::abs(dy)) < 2.2 && std::abs(dx) < radius * 0.5;
      SetPixel(dc, left + x, top + y, cross ? RGB(255, 255, 255) : RGB(232, 17, 35));
    }
}

void Paint(HWND box) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(box, &ps);
  BoxState* s = StateOf(box);
  if (s) {
    if (s->type & MB_ICONERROR) PaintErrorIcon(dc, kMargin, kMargin);
    SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    RECT text = s->textRect;
    DrawTextA(dc, s->text.c_str(), -1, &text, DT_WORDBREAK | DT_NOPREFIX);
    if (s->ownButton) {
      Rectangle(dc, s->buttonRect.left, s->buttonRect.top, s->buttonRect.right, s->buttonRect.bottom);
      RECT label = s->buttonRect;
      const std::string ok = AnsiText("确定");
      DrawTextA(dc, ok.c_str(), -1, &label, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
  }
  EndPaint(box, &ps);
}

LRESULT DialogProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: Paint(box); return 0;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) Finish(box, IDOK);
      return 0;
    case WM_CLOSE: Finish(box, IDOK); return 0;  // a box with only OK answers OK
    case WM_TIMER:
      if (wParam == kTimeoutTimer) Finish(box, MB_TIMEDOUT);
      return 0;
    case WM_LBUTTONUP: {
      BoxState* s = StateOf(box);
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (s && s->ownButton && PtInRect(&s->buttonRect, p)) Finish(box, IDOK);
      return 0;
    }
    default: return DefWindowProcA(box, message, wParam, lParam);
  }
}

}  // namespace

void RegisterDialogClass() {
  RegisterSystemClass(kDialogClass, DialogProc, 0, LoadCursorA(nullptr, IDC_ARROW),
                      reinterpret_cast<HBRUSH>(ULONG_PTR(COLOR_BTNFACE + 1)));
}

}  // namespace win::user

namespace win {

using namespace user;

int MessageBoxTimeoutA(HWND owner, LPCSTR text, LPCSTR caption, UINT type, WORD, DWORD milliseconds) {
  EnsureSystemClasses();
  BoxState state;
  state.text = text ? text : "";
  state.type = type;

  // Size the box to its text.
  HDC measure = CreateCompatibleDC(nullptr);
  SelectObject(measure, GetStockObject(DEFAULT_GUI_FONT));
  RECT textRect{0, 0, 360, 0};
  DrawTextA(measure, state.text.c_str(), -1, &textRect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  DeleteDC(measure);
  const int textLeft = kMargin + ((type & MB_ICONERROR) ? kIconSize + 12 : 0);
  const int bodyHeight = std::max<int>(kIconSize, textRect.bottom);
  const int clientWidth = std::max<int>(textLeft + textRect.right + kMargin, kButtonWidth + 2 * kMargin);
  const int clientHeight = kMargin + bodyHeight + 12 + kButtonHeight + 12;
  state.textRect = RECT{textLeft, kMargin + (bodyHeight - textRect.bottom) / 2, textLeft + textRect.right,
                        kMargin + bodyHeight};
  state.buttonRect = RECT{clientWidth - kMargin - kButtonWidth, clientHeight - 12 - kButtonHeight,
                          clientWidth - kMargin, clientHeight - 12};

  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  RECT outer{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&outer, style, FALSE, 0);
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  RECT area{0, 0, ScreenSize().cx, ScreenSize().cy};
  if (IsWindow(owner)) GetWindowRect(owner, &area);
  const int x = area.left + (area.right - area.left - width) / 2;
  const int y = area.top + (area.bottom - area.top - height) / 2;

  HWND box = CreateWindowExA(WS_EX_TOPMOST, "#32770", caption ? caption : "", style, x, y, width, height, owner,
                             nullptr, nullptr, nullptr);
  if (!box) return 0;
  SetWindowLongPtrA(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
  const std::string ok = AnsiText("确定");
  HWND button = CreateWindowExA(0, "Button", ok.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP, state.buttonRect.left,
                                state.buttonRect.top, kButtonWidth, kButtonHeight, box,
                                reinterpret_cast<HMENU>(ULONG_PTR(IDOK)), nullptr, nullptr);
  state.ownButton = button == nullptr;
  if (button) SendMessageA(button, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), 0);
  if (milliseconds != 0 && milliseconds != INFINITE) SetTimer(box, kTimeoutTimer, milliseconds, nullptr);

  const bool ownerEnabled = IsWindow(owner) && IsWindowEnabled(owner);
  if (ownerEnabled) EnableWindow(owner, FALSE);
  ShowWindow(box, SW_SHOW);
  RunModalLoop(box);
  if (ownerEnabled && IsWindow(owner)) {
    EnableWindow(owner, TRUE);
    SetActiveWindow(owner);
  }
  return state.result;
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return MessageBoxTimeoutA(owner, text, caption, type, 0, INFINITE);
}

}  // namespace win
