// A marquee label: takes over a static-text window and paints it itself.
// The window's text scrolls in one of four directions over a background
// colour and an optional background image; it can repeat seamlessly, pause
// while the pointer hovers, open a link when clicked, and carry tooltips.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "controls/MemoryImage.h"
#include "platform/user/User.h"

namespace lumbrix {

class MarqueeLabel {
 public:
  enum Direction : int { Leftward = 0, Upward = 1, Rightward = 2, Downward = 3 };
  static constexpr win::UINT_PTR kTimerId = 100;
  static constexpr int kStep = 5;  // pixels a tick, and the gap between copies
  static constexpr win::DWORD kHoverMs = 50;
  static constexpr win::COLORREF kUnsetColour = 0xFF000000;

  // Once, before any window: starts GDI+ and makes the link font.
  static void ModuleStartup();

  MarqueeLabel();
  // Gives the window its own procedure back and releases the layers.
  ~MarqueeLabel();
  MarqueeLabel(const MarqueeLabel&) = delete;
  MarqueeLabel& operator=(const MarqueeLabel&) = delete;

  win::LRESULT WindowProc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
  win::LRESULT ParentWindowProc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
  win::DWORD ThreadRoutine(void* parameter);
  win::LRESULT DefaultProc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
  win::LRESULT ParentDefaultProc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
  win::LRESULT OnDestroy(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
  win::LRESULT DetachAndForward(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
  win::LRESULT Unsubclass();
  win::LRESULT ParentOnDestroy(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
  bool Subclass(win::HWND window);
  bool SubclassParent();
  win::HANDLE StartThread(void* parameter);
  win::HWND CreateControlWindow(win::DWORD exStyle, const char* className, const char* title, win::DWORD style, int x,
                                int y, int width, int height, win::HWND parent, win::HMENU menu,
                                win::HINSTANCE instance, void* param);
  void AddTooltip(const std::string& text, win::RECT rect, bool hasRect);
  void RemoveTooltips();
  win::HWND GetSubclassedWindow() const { return subclassedWindow_; }
  win::LRESULT OnTimer(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
  win::LRESULT OnMouseMove(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
  win::LRESULT OnMouseHover(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
  win::LRESULT OnMouseLeave(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
  win::LRESULT OnLeftButtonDown(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
  win::LRESULT OnLeftButtonUp(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
  bool Create(win::HWND parent, int x, int y, int width, int height, bool continuous, int direction);
  bool Attach(win::HWND window, bool continuous, int direction);
  void SetForeColor(win::COLORREF colour);
  void SetBackColor(win::COLORREF colour);
  bool SetBackgroundImage(std::span<const std::uint8_t> bytes, int mode);
  void SetDirection(int direction);
  void SetInterval(int milliseconds);
  void SetContinuous(bool continuous);
  void SetAlignment(int horizontal, int vertical);
  void SetHorizontalAlignment(int value);
  void SetVerticalAlignment(int value);
  void SetPauseOnHover(bool pause);
  void SetMargin(int pixels);
  void SetLink(const std::string& address, bool useLinkFont);
  void SetText(const std::string& text);
  void Refresh(bool rebuild);
  void ReleaseBuffers();
  void AttachWindow(win::HWND window, int direction, bool continuous);
  void StartTimer();
  void StopTimer();
  void Step();
  void Layout();
  win::LRESULT OnEraseBackground(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
  win::LRESULT OnPaint(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
  void Paint(win::HDC dc);
  void DrawBackground();
  void Compose();
  void DrawTilesLeftward(win::HDC dc);
  void DrawTilesRightward(win::HDC dc);
  void DrawTilesUpward(win::HDC dc);
  void DrawTilesDownward(win::HDC dc);

  // Read access for callers and tests.
  win::HWND Window() const { return window_; }
  const win::RECT& TextRect() const { return textRect_; }
  int Interval() const { return interval_; }
  int DirectionValue() const { return direction_; }
  int Margin() const { return margin_; }
  win::COLORREF ForeColor() const { return foreColor_; }
  const std::string& Link() const { return link_; }
  int TooltipCount() const { return tooltipCount_; }
  win::HWND TooltipWindow() const { return tooltipWindow_; }

 private:
  // An off-screen layer: memory DC, its bitmap and the bitmap it replaced.
  struct Surface {
    win::HDC dc = nullptr;
    win::HBITMAP bitmap = nullptr;
    win::HGDIOBJ replaced = nullptr;
    int width = 0;
    int height = 0;
  };
  static void MakeSurface(Surface& surface, win::HDC compatible, int width, int height);
  static void ReleaseSurface(Surface& surface);
  void DrawCopies(win::HDC dc, int dx, int dy, bool (*more)(const win::RECT&, int width, int height));
  int Bw() const { return frontLayer_.width; }
  int Bh() const { return frontLayer_.height; }

  win::HWND subclassedWindow_ = nullptr;
  win::WNDPROC savedProc_ = nullptr;
  win::WNDPROC parentSavedProc_ = nullptr;
  win::HWND tooltipWindow_ = nullptr;
  int tooltipCount_ = 0;
  win::HWND window_ = nullptr;
  Surface backLayer_;
  Surface frontLayer_;
  win::COLORREF backColor_;
  win::COLORREF foreColor_ = kUnsetColour;
  std::string text_;
  win::RECT textRect_{};
  win::HFONT font_ = nullptr;
  win::HFONT previousFont_ = nullptr;
  win::UINT drawFlags_ = 0;
  int direction_ = Leftward;
  bool continuous_ = false;
  int horizontalAlignment_ = 0;
  int verticalAlignment_ = 1;
  int margin_ = 0;
  MemoryImage backgroundImage_;
  int imageMode_ = 0;
  int interval_ = 100;
  bool tracking_ = false;
  bool pressed_ = false;
  bool pauseOnHover_ = false;
  std::string link_;
};

}  // namespace lumbrix
