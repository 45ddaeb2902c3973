// The common controls: "Static", "Button", the tab control, the status bar,
// tooltips, and the picture box of the window toolkit.
#pragma once

#include <cstddef>

#include "platform/user/User.h"

namespace win {

struct INITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
};
inline constexpr DWORD ICC_WIN95_CLASSES = 0xFF;
inline constexpr DWORD ICC_STANDARD_CLASSES = 0x4000;
// Registers every class of this module (they are needed before their first window).
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* init);
void InitCommonControls();

// Static.
inline constexpr DWORD SS_LEFT = 0x0, SS_CENTER = 0x1, SS_RIGHT = 0x2, SS_LEFTNOWORDWRAP = 0xC, SS_NOPREFIX = 0x80,
                       SS_NOTIFY = 0x100, SS_CENTERIMAGE = 0x200;
inline constexpr WORD STN_CLICKED = 0;

// Button.
inline constexpr DWORD BS_PUSHBUTTON = 0x0, BS_DEFPUSHBUTTON = 0x1;
inline constexpr UINT BM_CLICK = 0x00F5;
inline constexpr WORD BN_CLICKED = 0;

// Tab control.
inline constexpr const char* WC_TABCONTROLA = "SysTabControl32";
inline constexpr UINT TCM_FIRST = 0x1300, TCM_GETITEMCOUNT = TCM_FIRST + 4, TCM_GETITEMA = TCM_FIRST + 5,
                      TCM_INSERTITEMA = TCM_FIRST + 7, TCM_GETCURSEL = TCM_FIRST + 11, TCM_SETCURSEL = TCM_FIRST + 12,
                      TCM_ADJUSTRECT = TCM_FIRST + 40;
inline constexpr UINT TCIF_TEXT = 0x1, TCIF_PARAM = 0x8;
struct TCITEMA {
  UINT mask;
  DWORD dwState;
  DWORD dwStateMask;
  LPSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;  // given 0, the control makes the item's page window and keeps it here
};
// The class of the page windows a tab control makes.
inline constexpr const char* kTabPageClass = "LumbrixTabPage";

// Status bar.
inline constexpr const char* STATUSCLASSNAMEA = "msctls_statusbar32";
inline constexpr UINT SB_SETTEXTA = WM_USER + 1, SB_GETTEXTA = WM_USER + 2, SB_GETTEXTLENGTHA = WM_USER + 3,
                      SB_SETPARTS = WM_USER + 4, SB_GETPARTS = WM_USER + 6;
inline constexpr int kStatusBarHeight = 20;

// Tooltips.
inline constexpr const char* TOOLTIPS_CLASSA = "tooltips_class32";
inline constexpr UINT TTM_ADDTOOLA = WM_USER + 4, TTM_DELTOOLA = WM_USER + 5, TTM_GETTOOLCOUNT = WM_USER + 13,
                      TTM_ENUMTOOLSA = WM_USER + 14, TTM_SETMAXTIPWIDTH = WM_USER + 24;
inline constexpr UINT TTF_IDISHWND = 0x1, TTF_SUBCLASS = 0x10;
struct TOOLINFOA {
  UINT cbSize;
  UINT uFlags;
  HWND hwnd;
  UINT_PTR uId;
  RECT rect;
  HINSTANCE hinst;
  LPSTR lpszText;
  LPARAM lParam;
  void* lpReserved;
};
// The record up to and with lParam: what a caller of this build fills.
inline constexpr UINT TTTOOLINFOA_V2_SIZE = offsetof(TOOLINFOA, lpReserved);
inline constexpr UINT TTTOOLINFOA_V1_SIZE = offsetof(TOOLINFOA, lParam);
inline constexpr DWORD kTooltipInitialDelayMs = 500;

// Picture box: shows a still or animated picture, fitted to cover its size.
inline constexpr const char* kPictureBoxClass = "LumbrixPicture";
// wParam: byte count, lParam: the bytes (copied). Returns TRUE when decoded.
inline constexpr UINT PBM_SETIMAGE = WM_USER + 100;
// Returns the frame shown now.
inline constexpr UINT PBM_GETFRAME = WM_USER + 101;
inline constexpr UINT PBM_GETFRAMECOUNT = WM_USER + 102;

}  // namespace win
