// The status bar: parts with texts along the parent's bottom edge.
#include <algorithm>
#include <cstring>

#include "platform/comctl/ControlState.h"

namespace win::comctl {

namespace {

struct Part {
  int right = -1;  // -1: to the end
  std::string text;
};

struct StatusState {
  HFONT font = nullptr;
  std::vector<Part> parts{Part{}};
  bool aligning = false;
};

// Along the bottom of the parent's client area, its whole width.
void Align(HWND window) {
  RECT parent;
  GetClientRect(GetParent(window), &parent);
  MoveWindow(window, 0, parent.bottom - kStatusBarHeight, parent.right, kStatusBarHeight, TRUE);
}

void Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  StatusState* s = StateOf<StatusState>(window);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  PrepareText(dc, s->font, GetSysColor(COLOR_BTNTEXT));
  HBRUSH line = GetSysColorBrush(COLOR_BTNSHADOW);
  int left = 0;
  for (const Part& part : s->parts) {
    const int right = part.right < 0 ? client.right : std::min<int>(part.right, client.right);
    RECT text{left + 4, 0, right - 4, client.bottom};
    DrawTextA(dc, part.text.c_str(), -1, &text, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    const RECT separator{right - 1, 3, right, client.bottom - 3};
    if (part.right >= 0) FillRect(dc, &separator, line);
    left = right;
  }
  const RECT top{0, 0, client.right, 1};
  FillRect(dc, &top, line);
  EndPaint(window, &ps);
}

LRESULT StatusProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ManageState<StatusState>(window, message);
  StatusState* s = StateOf<StatusState>(window);
  switch (message) {
    case WM_CREATE: Align(window); return 0;
    case WM_SIZE:
      // The parent forwards its own WM_SIZE; the bar realigns itself (the
      // move sends WM_SIZE again, which finds it aligned).
      if (!s->aligning) {
        s->aligning = true;
        Align(window);
        s->aligning = false;
      }
      return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(window); return 0;
    case WM_SETFONT: s->font = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s->font);
    case SB_SETPARTS: {
      const int count = int(wParam);
      const auto* rights = reinterpret_cast<const int*>(lParam);
      if (count <= 0 || count > 256 || !rights) return FALSE;
      s->parts.resize(std::size_t(count));
      for (int i = 0; i < count; ++i) s->parts[std::size_t(i)].right = rights[i];
      InvalidateRect(window, nullptr, TRUE);
      return TRUE;
    }
    case SB_GETPARTS: {
      auto* rights = reinterpret_cast<int*>(lParam);
      const int count = std::min<int>(int(wParam), int(s->parts.size()));
      for (int i = 0; rights && i < count; ++i) rights[i] = s->parts[std::size_t(i)].right;
      return LRESULT(s->parts.size());
    }
    case SB_SETTEXTA: {
      const std::size_t index = LOWORD(wParam) & 0xFF;
      if (index >= s->parts.size()) return FALSE;
      s->parts[index].text = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
      InvalidateRect(window, nullptr, TRUE);
      return TRUE;
    }
    case SB_GETTEXTA:
    case SB_GETTEXTLENGTHA: {
      if (wParam >= s->parts.size()) return 0;
      const std::string& text = s->parts[wParam].text;
      if (message == SB_GETTEXTA && lParam) std::memcpy(reinterpret_cast<LPSTR>(lParam), text.c_str(), text.size() + 1);
      return LRESULT(text.size());
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

void RegisterStatusBar() { RegisterControlClass(STATUSCLASSNAMEA, StatusProc, LoadCursorA(nullptr, IDC_ARROW)); }

std::string DescribeStatusBar(HWND window) {
  StatusState* s = StateOf<StatusState>(window);
  if (!s) return {};
  std::string out = "\"parts\":[";
  for (std::size_t i = 0; i < s->parts.size(); ++i) {
    if (i) out += ",";
    out += "{\"right\":" + std::to_string(s->parts[i].right) + ",\"text\":" + DescribeText(s->parts[i].text) + "}";
  }
  return out + "]";
}

}  // namespace win::comctl
