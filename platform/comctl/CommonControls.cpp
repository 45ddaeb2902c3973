#include "platform/comctl/ControlState.h"
#include "platform/display/Display.h"
#include "platform/kernel/CodePage.h"

namespace win::comctl {

void RegisterStatic();
void RegisterButton();
void RegisterTabControl();
void RegisterStatusBar();
void RegisterTooltips();
void RegisterPictureBox();
std::string DescribeTabControl(HWND window);
std::string DescribeStatusBar(HWND window);
std::string DescribeTooltips(HWND window);

void RegisterControlClass(const char* name, WNDPROC proc, HCURSOR cursor, HBRUSH background) {
  auto c = std::make_shared<user::WindowClass>();
  c->name = name;
  c->proc = proc;
  c->windowExtra = sizeof(LONG_PTR);  // the state pointer
  c->cursor = cursor;
  c->background = background;
  c->system = true;
  user::AddClass(std::move(c));
}

HFONT FontOrDefault(HFONT font) { return font ? font : static_cast<HFONT>(GetStockObject(SYSTEM_FONT)); }

void PrepareText(HDC dc, HFONT font, COLORREF colour) {
  SelectObject(dc, FontOrDefault(font));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, colour);
}

std::string DescribeText(const std::string& ansi) { return display::JsonString(Utf8FromAnsi(ansi)); }

void RegisterDescribers() {
  display::RegisterTreeDescriber(STATUSCLASSNAMEA, DescribeStatusBar);
  display::RegisterTreeDescriber(WC_TABCONTROLA, DescribeTabControl);
  display::RegisterTreeDescriber(TOOLTIPS_CLASSA, DescribeTooltips);
}

}  // namespace win::comctl

namespace win {

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init) {
  if (init && init->dwSize != sizeof(INITCOMMONCONTROLSEX)) return FALSE;
  static const bool done = [] {
    user::EnsureSystemClasses();
    comctl::RegisterStatic();
    comctl::RegisterButton();
    comctl::RegisterTabControl();
    comctl::RegisterStatusBar();
    comctl::RegisterTooltips();
    comctl::RegisterPictureBox();
    comctl::RegisterDescribers();
    return true;
  }();
  return done;
}

void InitCommonControls() { InitCommonControlsEx(nullptr); }

}  // namespace win
