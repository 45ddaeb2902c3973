// Shared between the files of platform/user.
#pragma once

#include "platform/user/WindowSystem.h"

namespace win {
inline constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
inline constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
inline constexpr DWORD ERROR_TLW_WITH_WSCHILD = 1406;
inline constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;
inline constexpr DWORD ERROR_CLASS_ALREADY_EXISTS = 1410;
inline constexpr DWORD ERROR_INVALID_INDEX = 1413;
inline constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND = 1814;
}  // namespace win

namespace win::user {

// Classes.
void EnsureSystemClasses();
std::shared_ptr<WindowClass> FindClass(std::string_view name);
bool AddClass(std::shared_ptr<WindowClass> windowClass);
void UnregisterClass(const std::string& name);
void RegisterSystemClass(const char* name, WNDPROC proc, UINT style, HCURSOR cursor, HBRUSH background);

// The window tree.
HWND AddWindow(std::shared_ptr<Window> window);
void RemoveWindow(HWND handle);
std::vector<HWND>& TopLevelOrder();
HWND& ActiveWindow();
void PlaceInZOrder(HWND handle, HWND insertAfter);
void ResizeSurface(Window& window);
SIZE ClientSize(const Window& window);
const DisplayHooks& Display();

// Messages, timers, painting and input.
void KillWindowTimers(HWND window);
void ForgetWindowInput(HWND window);
LRESULT EraseWithClassBrush(Window& window, HDC dc);
bool DispatchPaint();  // sends one WM_PAINT to a window that needs it
bool CheckHover();     // posts a due WM_MOUSEHOVER

}  // namespace win::user
