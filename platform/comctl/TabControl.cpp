// The tab control: captions along the top and a page window per item, in
// which the page's controls live. The selected item's page is shown.
#include <algorithm>
#include <cstring>

#include "platform/comctl/ControlState.h"

namespace win::comctl {

namespace {

constexpr int kHeaderHeight = 21;
constexpr int kTabPadding = 12;

struct Item {
  std::string text;
  LPARAM param = 0;
  HWND page = nullptr;  // the page the control made for the item, if any
};

struct TabState {
  HFONT font = nullptr;
  std::vector<Item> items;
  int selected = -1;
};

RECT PageRect(HWND window) {
  RECT r;
  GetClientRect(window, &r);
  return RECT{2, kHeaderHeight + 2, std::max<LONG>(2, r.right - 2), std::max<LONG>(kHeaderHeight + 2, r.bottom - 2)};
}

void ShowSelected(HWND window) {
  TabState* s = StateOf<TabState>(window);
  for (std::size_t i = 0; i < s->items.size(); ++i)
    if (s->items[i].page) ShowWindow(s->items[i].page, int(i) == s->selected ? SW_SHOWNA : SW_HIDE);
  InvalidateRect(window, nullptr, TRUE);
}

void Paint(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  TabState* s = StateOf<TabState>(window);
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  PrepareText(dc, s->font, GetSysColor(COLOR_BTNTEXT));
  HPEN border = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  SelectObject(dc, border);
  SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, 0, kHeaderHeight, client.right, client.bottom);
  int x = 2;
  for (std::size_t i = 0; i < s->items.size(); ++i) {
    RECT measure{0, 0, 1000, kHeaderHeight};
    DrawTextA(dc, s->items[i].text.c_str(), -1, &measure, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    const int width = measure.right + 2 * kTabPadding;
    const bool selected = int(i) == s->selected;
    RECT tab{x, selected ? 0 : 2, x + width, kHeaderHeight + (selected ? 1 : 0)};
    FillRect(dc, &tab, GetSysColorBrush(selected ? COLOR_WINDOW : COLOR_BTNFACE));
    Rectangle(dc, tab.left, tab.top, tab.right, tab.bottom);
    DrawTextA(dc, s->items[i].text.c_str(), -1, &tab, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    x += width;
  }
  SelectObject(dc, GetStockObject(BLACK_PEN));
  DeleteObject(border);
  EndPaint(window, &ps);
}

LRESULT Insert(HWND window, int index, const TCITEMA* item) {
  if (!item) return -1;
  TabState* s = StateOf<TabState>(window);
  Item added;
  if ((item->mask & TCIF_TEXT) && item->pszText) added.text = item->pszText;
  if (item->mask & TCIF_PARAM) added.param = item->lParam;
  if (added.param == 0) {
    const RECT page = PageRect(window);
    added.page = CreateWindowExA(0, kTabPageClass, "", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, page.left, page.top,
                                 page.right - page.left, page.bottom - page.top, window, nullptr, nullptr, nullptr);
    added.param = reinterpret_cast<LPARAM>(added.page);
  }
  index = std::clamp(index, 0, int(s->items.size()));
  s->items.insert(s->items.begin() + index, added);
  if (s->selected < 0) s->selected = 0;
  ShowSelected(window);
  return index;
}

LRESULT TabProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ManageState<TabState>(window, message);
  TabState* s = StateOf<TabState>(window);
  switch (message) {
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: Paint(window); return 0;
    case WM_SETFONT: s->font = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(s->font);
    case WM_SIZE: {
      const RECT page = PageRect(window);
      for (const Item& item : s->items)
        if (item.page) MoveWindow(item.page, page.left, page.top, page.right - page.left, page.bottom - page.top, TRUE);
      return 0;
    }
    case TCM_INSERTITEMA: return Insert(window, int(wParam), reinterpret_cast<const TCITEMA*>(lParam));
    case TCM_GETITEMCOUNT: return LRESULT(s->items.size());
    case TCM_GETCURSEL: return s->selected;
    case TCM_SETCURSEL: {
      const int previous = s->selected;
      if (int(wParam) >= 0 && std::size_t(wParam) < s->items.size()) {
        s->selected = int(wParam);
        ShowSelected(window);
      }
      return previous;
    }
    case TCM_GETITEMA: {
      auto* out = reinterpret_cast<TCITEMA*>(lParam);
      if (!out || wParam >= s->items.size()) return FALSE;
      const Item& item = s->items[wParam];
      if (out->mask & TCIF_PARAM) out->lParam = item.param;
      if ((out->mask & TCIF_TEXT) && out->pszText && out->cchTextMax > 0) {
        const int n = std::min<int>(out->cchTextMax - 1, int(item.text.size()));
        std::memcpy(out->pszText, item.text.data(), std::size_t(n));
        out->pszText[n] = '\0';
      }
      return TRUE;
    }
    case TCM_ADJUSTRECT: {
      auto* r = reinterpret_cast<RECT*>(lParam);
      if (!r) return 0;
      if (wParam) *r = RECT{r->left - 2, r->top - kHeaderHeight - 2, r->right + 2, r->bottom + 2};
      else *r = RECT{r->left + 2, r->top + kHeaderHeight + 2, r->right - 2, r->bottom - 2};
      return 0;
    }
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // A page passes its controls' notices on to the dialog that holds the tab control.
  if (message == WM_COMMAND || message == WM_NOTIFY || message == WM_CTLCOLORSTATIC)
    return SendMessageA(GetParent(GetParent(window)), message, wParam, lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

void RegisterTabControl() {
  RegisterControlClass(WC_TABCONTROLA, TabProc, LoadCursorA(nullptr, IDC_ARROW));
  RegisterControlClass(kTabPageClass, PageProc, LoadCursorA(nullptr, IDC_ARROW),
                       reinterpret_cast<HBRUSH>(ULONG_PTR(COLOR_WINDOW + 1)));
}

std::string DescribeTabControl(HWND window) {
  TabState* s = StateOf<TabState>(window);
  if (!s) return {};
  std::string out = "\"selected\":" + std::to_string(s->selected) + ",\"tabs\":[";
  for (std::size_t i = 0; i < s->items.size(); ++i) {
    if (i) out += ",";
    out += DescribeText(s->items[i].text);
  }
  return out + "]";
}

}  // namespace win::comctl
