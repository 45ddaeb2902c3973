// Tooltips: tools registered on windows; with TTF_SUBCLASS the control
// watches the tool window's mouse and shows the tip once the pointer has
// rested on the tool's area.
#include <algorithm>
#include <utility>

#include "platform/comctl/ControlState.h"
#include "platform/kernel/Clock.h"

namespace win::comctl {

namespace {

constexpr UINT_PTR kShowTimer = 1;
constexpr UINT_PTR kWatchId = 0x7171;

struct Tool {
  UINT flags = 0;
  HWND window = nullptr;
  UINT_PTR id = 0;
  RECT rect{};
  std::string text;
};

struct TooltipState {
  std::vector<Tool> tools;
  int maxWidth = -1;
  const Tool* pending = nullptr;  // under the pointer, waiting for the delay
  POINT pointer{};
};

bool Matches(const Tool& tool, HWND window, UINT_PTR id) { return tool.window == window && tool.id == id; }

RECT AreaOf(const Tool& tool) {
  if (tool.flags & TTF_IDISHWND) {
    RECT r;
    GetClientRect(reinterpret_cast<HWND>(tool.id), &r);
    return r;
  }
  return tool.rect;
}

void Hide(HWND tip) {
  KillTimer(tip, kShowTimer);
  StateOf<TooltipState>(tip)->pending = nullptr;
  ShowWindow(tip, SW_HIDE);
}

// Sees the tool window's messages before its own procedure does.
LRESULT Watch(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR refData) {
  HWND tip = reinterpret_cast<HWND>(refData);
  TooltipState* s = IsWindow(tip) ? StateOf<TooltipState>(tip) : nullptr;
  if (s && message == WM_MOUSEMOVE) {
    const POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const Tool* under = nullptr;
    for (const Tool& tool : s->tools) {
      const RECT area = AreaOf(tool);
      if (tool.window == window && PtInRect(&area, p)) under = &tool;
    }
    if (under != s->pending) {
      Hide(tip);
      s->pending = under;
      if (under) SetTimer(tip, kShowTimer, kTooltipInitialDelayMs, nullptr);
    }
    s->pointer = p;
    ClientToScreen(window, &s->pointer);
  } else if (s && (message == WM_MOUSELEAVE || message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN)) {
    Hide(tip);
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

void Show(HWND tip) {
  TooltipState* s = StateOf<TooltipState>(tip);
  KillTimer(tip, kShowTimer);
  if (!s->pending) return;
  SetWindowTextA(tip, s->pending->text.c_str());
  HDC dc = GetDC(tip);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  RECT r{0, 0, s->maxWidth > 0 ? s->maxWidth : 1000, 0};
  DrawTextA(dc, s->pending->text.c_str(), -1, &r, DT_CALCRECT | DT_NOPREFIX | (s->maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
  ReleaseDC(tip, dc);
  SetWindowPos(tip, HWND_TOPMOST, s->pointer.x, s->pointer.y + 20, r.right + 8, r.bottom + 6, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  InvalidateRect(tip, nullptr, TRUE);
}

void Paint(HWND tip) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(tip, &ps);
  RECT r;
  GetClientRect(tip, &r);
  HBRUSH background = CreateSolidBrush(GetSysColor(COLOR_INFOBK));
  SelectObject(dc, background);
  Rectangle(dc, r.left, r.top, r.right, r.bottom);
  SelectObject(dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(background);
  PrepareText(dc, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)), GetSysColor(COLOR_INFOTEXT));
  InflateRect(&r, -4, -3);
  char text[2048];
  GetWindowTextA(tip, text, sizeof text);
  DrawTextA(dc, text, -1, &r, DT_NOPREFIX | (StateOf<TooltipState>(tip)->maxWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
  EndPaint(tip, &ps);
}

LRESULT TooltipProc(HWND tip, UINT message, WPARAM wParam, LPARAM lParam) {
  ManageState<TooltipState>(tip, message);
  TooltipState* s = StateOf<TooltipState>(tip);
  switch (message) {
    case WM_CREATE:
      // Tooltips are pop-ups above everything, whatever the caller asked.
      SetWindowLongPtrA(tip, GWL_STYLE, (GetWindowLongPtrA(tip, GWL_STYLE) & ~LONG_PTR(WS_CHILD)) | LONG_PTR(WS_POPUP));
      SetWindowLongPtrA(tip, GWL_EXSTYLE, GetWindowLongPtrA(tip, GWL_EXSTYLE) | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE);
      return 0;
    case TTM_ADDTOOLA: {
      const auto* info = reinterpret_cast<const TOOLINFOA*>(lParam);
      if (!info || info->cbSize < TTTOOLINFOA_V1_SIZE || !IsWindow(info->hwnd)) return FALSE;
      Tool tool{info->uFlags, info->hwnd, info->uId, info->rect, info->lpszText ? info->lpszText : ""};
      s->tools.erase(std::remove_if(s->tools.begin(), s->tools.end(),
                                    [&](const Tool& t) { return Matches(t, tool.window, tool.id); }),
                     s->tools.end());
      s->tools.push_back(tool);
      s->pending = nullptr;
      if (tool.flags & TTF_SUBCLASS) SetWindowSubclass(tool.window, Watch, kWatchId, reinterpret_cast<DWORD_PTR>(tip));
      return TRUE;
    }
    case TTM_DELTOOLA: {
      const auto* info = reinterpret_cast<const TOOLINFOA*>(lParam);
      if (!info || info->cbSize < TTTOOLINFOA_V1_SIZE) return 0;
      s->pending = nullptr;
      s->tools.erase(std::remove_if(s->tools.begin(), s->tools.end(),
                                    [&](const Tool& t) { return Matches(t, info->hwnd, info->uId); }),
                     s->tools.end());
      if (std::none_of(s->tools.begin(), s->tools.end(), [&](const Tool& t) { return t.window == info->hwnd; }))
        RemoveWindowSubclass(info->hwnd, Watch, kWatchId);
      return 0;
    }
    case TTM_GETTOOLCOUNT: return LRESULT(s->tools.size());
    case TTM_ENUMTOOLSA: {
      auto* info = reinterpret_cast<TOOLINFOA*>(lParam);
      if (!info || wParam >= s->tools.size()) return FALSE;
      const Tool& t = s->tools[wParam];
      info->uFlags = t.flags;
      info->hwnd = t.window;
      info->uId = t.id;
      info->rect = t.rect;
      return TRUE;
    }
    case TTM_SETMAXTIPWIDTH: return std::exchange(s->maxWidth, int(lParam));
    case WM_TIMER:
      if (wParam == kShowTimer) Show(tip);
      return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(tip); return 0;
    case WM_NCHITTEST: return HTTRANSPARENT;
    default: return DefWindowProcA(tip, message, wParam, lParam);
  }
}

}  // namespace

void RegisterTooltips() { RegisterControlClass(TOOLTIPS_CLASSA, TooltipProc, LoadCursorA(nullptr, IDC_ARROW)); }

std::string DescribeTooltips(HWND tip) {
  TooltipState* s = StateOf<TooltipState>(tip);
  if (!s) return {};
  std::string out = "\"tools\":[";
  for (std::size_t i = 0; i < s->tools.size(); ++i) {
    if (i) out += ",";
    out += "{\"id\":" + std::to_string(s->tools[i].id) + ",\"text\":" + DescribeText(s->tools[i].text) + "}";
  }
  return out + "]";
}

}  // namespace win::comctl
