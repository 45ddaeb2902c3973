// The window system: classes, windows, messages, timers, painting, input,
// layered windows, the message box, shell open and icon resources.
// Behaves as Windows documents for the cases the program uses; everything
// runs on the thread that creates the windows.
#pragma once

#include <string>

#include "platform/gdi/Gdi.h"

namespace win {

LUMBRIX_DECLARE_HANDLE(HICON);
LUMBRIX_DECLARE_HANDLE(HMENU);
using HCURSOR = HICON;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using ATOM = WORD;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);

constexpr WORD LOWORD(ULONG_PTR v) { return WORD(v & 0xFFFF); }
constexpr WORD HIWORD(ULONG_PTR v) { return WORD((v >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(int low, int high) { return LPARAM(DWORD(WORD(low)) | DWORD(WORD(high)) << 16); }
constexpr int GET_X_LPARAM(LPARAM l) { return short(LOWORD(ULONG_PTR(l))); }
constexpr int GET_Y_LPARAM(LPARAM l) { return short(HIWORD(ULONG_PTR(l))); }
inline LPCSTR MAKEINTRESOURCEA(WORD id) { return reinterpret_cast<LPCSTR>(ULONG_PTR(id)); }
inline bool IS_INTRESOURCE(LPCSTR name) { return (ULONG_PTR(name) >> 16) == 0; }

// Messages.
inline constexpr UINT WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_MOVE = 0x0003,
                      WM_SIZE = 0x0005, WM_ACTIVATE = 0x0006, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008,
                      WM_ENABLE = 0x000A, WM_SETTEXT = 0x000C, WM_GETTEXT = 0x000D, WM_GETTEXTLENGTH = 0x000E,
                      WM_PAINT = 0x000F, WM_CLOSE = 0x0010, WM_QUIT = 0x0012, WM_ERASEBKGND = 0x0014,
                      WM_SHOWWINDOW = 0x0018, WM_SETCURSOR = 0x0020, WM_MOUSEACTIVATE = 0x0021,
                      WM_SETFONT = 0x0030, WM_GETFONT = 0x0031, WM_WINDOWPOSCHANGED = 0x0047, WM_NOTIFY = 0x004E,
                      WM_NCCREATE = 0x0081, WM_NCDESTROY = 0x0082, WM_NCHITTEST = 0x0084, WM_KEYDOWN = 0x0100,
                      WM_KEYUP = 0x0101, WM_CHAR = 0x0102, WM_INITDIALOG = 0x0110, WM_COMMAND = 0x0111,
                      WM_TIMER = 0x0113, WM_CTLCOLORSTATIC = 0x0138, WM_MOUSEMOVE = 0x0200,
                      WM_LBUTTONDOWN = 0x0201, WM_LBUTTONUP = 0x0202, WM_RBUTTONDOWN = 0x0204,
                      WM_RBUTTONUP = 0x0205, WM_MOUSEHOVER = 0x02A1, WM_MOUSELEAVE = 0x02A3, WM_USER = 0x0400;

// Window styles.
inline constexpr DWORD WS_OVERLAPPED = 0x00000000, WS_POPUP = 0x80000000, WS_CHILD = 0x40000000,
                       WS_VISIBLE = 0x10000000, WS_DISABLED = 0x08000000, WS_CLIPSIBLINGS = 0x04000000,
                       WS_CLIPCHILDREN = 0x02000000, WS_CAPTION = 0x00C00000, WS_BORDER = 0x00800000,
                       WS_DLGFRAME = 0x00400000, WS_SYSMENU = 0x00080000, WS_THICKFRAME = 0x00040000,
                       WS_MINIMIZEBOX = 0x00020000, WS_MAXIMIZEBOX = 0x00010000, WS_TABSTOP = 0x00010000,
                       WS_GROUP = 0x00020000,
                       WS_OVERLAPPEDWINDOW = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
inline constexpr DWORD WS_EX_TOPMOST = 0x00000008, WS_EX_TRANSPARENT = 0x00000020, WS_EX_TOOLWINDOW = 0x00000080,
                       WS_EX_CLIENTEDGE = 0x00000200, WS_EX_LAYERED = 0x00080000, WS_EX_NOACTIVATE = 0x08000000;
inline constexpr int CW_USEDEFAULT = int(0x80000000);

// Class styles.
inline constexpr UINT CS_VREDRAW = 0x1, CS_HREDRAW = 0x2, CS_DBLCLKS = 0x8, CS_DROPSHADOW = 0x20000;

// ShowWindow.
inline constexpr int SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOW = 5, SW_SHOWNA = 8, SW_SHOWNOACTIVATE = 4;

// SetWindowPos.
inline const HWND HWND_TOP = reinterpret_cast<HWND>(0);
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(1);
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(-1);
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);
inline constexpr UINT SWP_NOSIZE = 0x1, SWP_NOMOVE = 0x2, SWP_NOZORDER = 0x4, SWP_NOREDRAW = 0x8,
                      SWP_NOACTIVATE = 0x10, SWP_FRAMECHANGED = 0x20, SWP_SHOWWINDOW = 0x40,
                      SWP_HIDEWINDOW = 0x80, SWP_NOOWNERZORDER = 0x200;

// Window longs.
inline constexpr int GWLP_WNDPROC = -4, GWLP_HINSTANCE = -6, GWLP_HWNDPARENT = -8, GWLP_ID = -12,
                     GWL_STYLE = -16, GWL_EXSTYLE = -20, GWLP_USERDATA = -21;

// Hit testing and mouse.
inline constexpr LRESULT HTTRANSPARENT = -1, HTNOWHERE = 0, HTCLIENT = 1, HTCAPTION = 2;
inline constexpr WPARAM MK_LBUTTON = 0x1, MK_RBUTTON = 0x2;
inline constexpr DWORD TME_HOVER = 0x1, TME_LEAVE = 0x2, TME_CANCEL = 0x80000000;
inline constexpr DWORD HOVER_DEFAULT = 0xFFFFFFFF;

// System metrics.
inline constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXBORDER = 5, SM_CYBORDER = 6, SM_CYCAPTION = 4,
                     SM_CXICON = 11, SM_CYICON = 12, SM_CXFRAME = 32, SM_CYFRAME = 33, SM_CXSMICON = 49,
                     SM_CYSMICON = 50, SM_CXMOUSEHOVER = 0, SM_CXVIRTUALSCREEN = 78, SM_CYVIRTUALSCREEN = 79;

// PeekMessage.
inline constexpr UINT PM_NOREMOVE = 0, PM_REMOVE = 1;

// Message boxes.
inline constexpr UINT MB_OK = 0x0, MB_ICONERROR = 0x10, MB_ICONINFORMATION = 0x40;
inline constexpr int IDOK = 1, IDCANCEL = 2, MB_TIMEDOUT = 32000;

// Cursors and images.
inline const LPCSTR IDC_ARROW = MAKEINTRESOURCEA(32512);
inline const LPCSTR IDC_HAND = MAKEINTRESOURCEA(32649);
inline constexpr UINT IMAGE_BITMAP = 0, IMAGE_ICON = 1, IMAGE_CURSOR = 2;
inline constexpr UINT LR_DEFAULTCOLOR = 0, LR_DEFAULTSIZE = 0x40, LR_SHARED = 0x8000;

// Layered windows.
inline constexpr DWORD ULW_COLORKEY = 0x1, ULW_ALPHA = 0x2, ULW_OPAQUE = 0x4;

struct WNDCLASSEXA {
  UINT cbSize = sizeof(WNDCLASSEXA);
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HINSTANCE hInstance = nullptr;
  HICON hIcon = nullptr;
  HCURSOR hCursor = nullptr;
  HBRUSH hbrBackground = nullptr;  // a brush, or a system colour index + 1
  LPCSTR lpszMenuName = nullptr;
  LPCSTR lpszClassName = nullptr;
  HICON hIconSm = nullptr;
};

struct CREATESTRUCTA {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy, cx, y, x;
  LONG style;
  LPCSTR lpszName;
  LPCSTR lpszClass;
  DWORD dwExStyle;
};

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore;
  BOOL fIncUpdate;
  BYTE rgbReserved[32];
};

struct TRACKMOUSEEVENT {
  DWORD cbSize;
  DWORD dwFlags;
  HWND hwndTrack;
  DWORD dwHoverTime;
};

// Classes.
ATOM RegisterClassExA(const WNDCLASSEXA* windowClass);
BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance);
BOOL GetClassInfoExA(HINSTANCE instance, LPCSTR className, WNDCLASSEXA* out);
int GetClassNameA(HWND window, LPSTR buffer, int size);

// Windows.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
BOOL IsWindowVisible(HWND window);
BOOL IsWindowEnabled(HWND window);
BOOL EnableWindow(HWND window, BOOL enable);
HWND GetParent(HWND window);
BOOL IsChild(HWND parent, HWND window);
HWND GetDlgItem(HWND dialog, int id);
int GetDlgCtrlID(HWND window);
HWND FindWindowA(LPCSTR className, LPCSTR windowName);
HWND GetActiveWindow();
HWND SetActiveWindow(HWND window);
HWND GetForegroundWindow();
HWND GetDesktopWindow();
BOOL ShowWindow(HWND window, int command);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint);
BOOL GetClientRect(HWND window, RECT* rect);
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL ClientToScreen(HWND window, POINT* point);
BOOL ScreenToClient(HWND window, POINT* point);
BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD exStyle);
int GetSystemMetrics(int index);

// Procedures, longs and properties.
LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
LONG_PTR GetWindowLongPtrA(HWND window, int index);
LRESULT CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL SetPropA(HWND window, LPCSTR name, HANDLE value);
HANDLE GetPropA(HWND window, LPCSTR name);
HANDLE RemovePropA(HWND window, LPCSTR name);

// Subclassing as the common controls offer it: hooks that see a window's
// messages before its procedure, without replacing the procedure.
using SUBCLASSPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM, UINT_PTR id, DWORD_PTR refData);
BOOL SetWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id, DWORD_PTR refData);
BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC proc, UINT_PTR id);
LRESULT DefSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Texts.
BOOL SetWindowTextA(HWND window, LPCSTR text);
int GetWindowTextA(HWND window, LPSTR buffer, int size);
int GetWindowTextLengthA(HWND window);

// Messages.
LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL GetMessageA(MSG* msg, HWND window, UINT first, UINT last);
BOOL PeekMessageA(MSG* msg, HWND window, UINT first, UINT last, UINT remove);
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageA(const MSG* msg);
void PostQuitMessage(int exitCode);
// Runs a message loop until `window` is destroyed; a WM_QUIT seen on the way
// is posted again for the outer loop.
void RunModalLoop(HWND window);

// Timers.
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND window, UINT_PTR id);

// Painting.
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND window, const RECT* rect);
BOOL GetUpdateRect(HWND window, RECT* rect, BOOL erase);
BOOL UpdateWindow(HWND window);
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
HDC GetDC(HWND window);
HDC GetWindowDC(HWND window);
int ReleaseDC(HWND window, HDC dc);

// Input.
HWND SetCapture(HWND window);
BOOL ReleaseCapture();
HWND GetCapture();
BOOL TrackMouseEvent(TRACKMOUSEEVENT* track);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();
BOOL GetCursorPos(POINT* point);
HWND WindowFromPoint(POINT point);

// Layered windows.
BOOL UpdateLayeredWindow(HWND window, HDC screenDC, POINT* position, SIZE* size, HDC source, POINT* sourcePoint,
                         COLORREF key, BLENDFUNCTION* blend, DWORD flags);

// The message box that closes itself after `milliseconds` (MB_TIMEDOUT).
int MessageBoxTimeoutA(HWND owner, LPCSTR text, LPCSTR caption, UINT type, WORD language, DWORD milliseconds);
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

// Shell open. Returns a value above 32 on success.
HINSTANCE ShellExecuteA(HWND window, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory, int show);

// Icons from the executable's resource table.
HINSTANCE GetModuleHandleA(LPCSTR name);
HANDLE LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int cx, int cy, UINT flags);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
BOOL DestroyIcon(HICON icon);
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH flicker, UINT flags);
inline constexpr UINT DI_NORMAL = 0x3;

}  // namespace win
