#include "controls/MarqueeLabel.h"

#include <algorithm>
#include <cstring>

#include "platform/comctl/CommCtrl.h"
#include "platform/kernel/Thread.h"

namespace lumbrix {

namespace {

// The window's messages reach their instance through a window property: no
// code is generated at run time, so no memory is both writable and
// executable.
constexpr const char* kInstanceProperty = "LumbrixMarqueeLabel";
constexpr const char* kParentProperty = "LumbrixMarqueeLabelParent";

win::ULONG_PTR gdiplusToken = 0;
win::HFONT linkFont = nullptr;

win::LRESULT BoundWindowProc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  auto* self = reinterpret_cast<MarqueeLabel*>(win::GetPropA(window, kInstanceProperty));
  return self ? self->WindowProc(window, message, wParam, lParam) : win::DefWindowProcA(window, message, wParam, lParam);
}

win::LRESULT BoundParentProc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  auto* self = reinterpret_cast<MarqueeLabel*>(win::GetPropA(window, kParentProperty));
  return self ? self->ParentWindowProc(window, message, wParam, lParam)
              : win::DefWindowProcA(window, message, wParam, lParam);
}

struct ThreadBinding {
  MarqueeLabel* self;
  void* parameter;
};

win::DWORD BoundThreadRoutine(void* binding) {
  const ThreadBinding b = *static_cast<ThreadBinding*>(binding);
  delete static_cast<ThreadBinding*>(binding);
  return b.self->ThreadRoutine(b.parameter);
}

win::HFONT FontOf(win::HWND window) {
  auto font = reinterpret_cast<win::HFONT>(win::SendMessageA(window, win::WM_GETFONT, 0, 0));
  return font ? font : static_cast<win::HFONT>(win::GetStockObject(win::DEFAULT_GUI_FONT));
}

int ValidDirection(int direction) { return direction >= 0 && direction <= 3 ? direction : 0; }

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

void MarqueeLabel::ModuleStartup() {
  if (gdiplusToken == 0) {
    win::GdiplusStartupInput input;
    win::GdiplusStartup(&gdiplusToken, &input, nullptr);
  }
  if (!linkFont) {
    win::LOGFONTA font{};
    win::GetObjectA(win::GetStockObject(win::DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfUnderline = 1;
    font.lfWeight = win::FW_NORMAL;
    linkFont = win::CreateFontIndirectA(&font);
  }
}

MarqueeLabel::MarqueeLabel() : backColor_(win::GetSysColor(win::COLOR_BTNFACE)) {}

MarqueeLabel::~MarqueeLabel() {
  if (win::IsWindow(window_)) win::KillTimer(window_, kTimerId);
  Unsubclass();
  ReleaseBuffers();
}

// ---- Procedures and binding ------------------------------------------------

win::LRESULT MarqueeLabel::WindowProc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  using namespace win;
  switch (message) {
    case WM_ERASEBKGND: return OnEraseBackground(window, message, wParam, lParam);
    case WM_PAINT: return OnPaint(window, message, wParam, lParam);
    case WM_TIMER: return OnTimer(window, message, wParam, lParam);
    case WM_DESTROY: return OnDestroy(window, message, wParam, lParam);
    case WM_SETTEXT: {
      const LRESULT result = DefaultProc(window, message, wParam, lParam);
      Refresh(true);
      return result;
    }
    case WM_SETFONT: {
      const LRESULT result = DefaultProc(window, message, wParam, lParam);
      font_ = FontOf(window);
      Refresh(true);
      return result;
    }
    case WM_MOUSEMOVE: return OnMouseMove(window, message, wParam, lParam);
    case WM_MOUSEHOVER: return OnMouseHover(window, message, wParam, lParam);
    case WM_MOUSELEAVE: return OnMouseLeave(window, message, wParam, lParam);
    case WM_LBUTTONDOWN: return OnLeftButtonDown(window, message, wParam, lParam);
    case WM_LBUTTONUP: return OnLeftButtonUp(window, message, wParam, lParam);
    default: return DefaultProc(window, message, wParam, lParam);
  }
}

win::LRESULT MarqueeLabel::ParentWindowProc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  if (message == win::WM_DESTROY) return ParentOnDestroy(window, message, wParam, lParam);
  return ParentDefaultProc(window, message, wParam, lParam);
}

win::DWORD MarqueeLabel::ThreadRoutine(void*) { return 0; }

win::LRESULT MarqueeLabel::DefaultProc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  return savedProc_ ? win::CallWindowProcA(savedProc_, window, message, wParam, lParam)
                    : win::DefWindowProcA(window, message, wParam, lParam);
}

win::LRESULT MarqueeLabel::ParentDefaultProc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  return parentSavedProc_ ? win::CallWindowProcA(parentSavedProc_, window, message, wParam, lParam)
                          : win::DefWindowProcA(window, message, wParam, lParam);
}

win::LRESULT MarqueeLabel::OnDestroy(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  win::KillTimer(window_, kTimerId);
  return DetachAndForward(window, message, wParam, lParam);
}

win::LRESULT MarqueeLabel::DetachAndForward(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  const win::WNDPROC saved = savedProc_;
  Unsubclass();
  return saved ? win::CallWindowProcA(saved, window, message, wParam, lParam)
               : win::DefWindowProcA(window, message, wParam, lParam);
}

win::LRESULT MarqueeLabel::Unsubclass() {
  if (subclassedWindow_ && savedProc_) {
    win::SetWindowLongPtrA(subclassedWindow_, win::GWLP_WNDPROC, reinterpret_cast<win::LONG_PTR>(savedProc_));
    win::RemovePropA(subclassedWindow_, kInstanceProperty);
  }
  subclassedWindow_ = nullptr;
  savedProc_ = nullptr;
  return 0;
}

win::LRESULT MarqueeLabel::ParentOnDestroy(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  if (!parentSavedProc_) return win::DefWindowProcA(window, message, wParam, lParam);
  const win::WNDPROC saved = parentSavedProc_;
  win::SetWindowLongPtrA(window, win::GWLP_WNDPROC, reinterpret_cast<win::LONG_PTR>(saved));
  win::RemovePropA(window, kParentProperty);
  const win::LRESULT result = win::CallWindowProcA(saved, window, message, wParam, lParam);
  parentSavedProc_ = nullptr;
  return result;
}

bool MarqueeLabel::Subclass(win::HWND window) {
  if (subclassedWindow_ && savedProc_ && win::IsWindow(subclassedWindow_)) return false;
  if (!win::IsWindow(window)) return false;
  subclassedWindow_ = window;
  win::SetPropA(window, kInstanceProperty, reinterpret_cast<win::HANDLE>(this));
  savedProc_ = reinterpret_cast<win::WNDPROC>(
      win::SetWindowLongPtrA(window, win::GWLP_WNDPROC, reinterpret_cast<win::LONG_PTR>(BoundWindowProc)));
  return true;
}

bool MarqueeLabel::SubclassParent() {
  if (!win::IsWindow(subclassedWindow_)) return false;
  const win::HWND parent = win::GetParent(subclassedWindow_);
  if (!win::IsWindow(parent) || !win::IsChild(parent, subclassedWindow_)) return false;
  win::SetPropA(parent, kParentProperty, reinterpret_cast<win::HANDLE>(this));
  parentSavedProc_ = reinterpret_cast<win::WNDPROC>(
      win::SetWindowLongPtrA(parent, win::GWLP_WNDPROC, reinterpret_cast<win::LONG_PTR>(BoundParentProc)));
  return true;
}

win::HANDLE MarqueeLabel::StartThread(void* parameter) {
  auto* binding = new ThreadBinding{this, parameter};
  win::HANDLE thread = win::CreateThread(nullptr, 0, BoundThreadRoutine, binding, 0, nullptr);
  if (!thread) delete binding;
  return thread;
}

win::HWND MarqueeLabel::CreateControlWindow(win::DWORD exStyle, const char* className, const char* title,
                                            win::DWORD style, int x, int y, int width, int height, win::HWND parent,
                                            win::HMENU menu, win::HINSTANCE instance, void* param) {
  if (!instance) instance = win::GetModuleHandleA(nullptr);
  win::HWND window = win::CreateWindowExA(exStyle, className, title, style, x, y, width, height, parent, menu, instance, param);
  if (!window) return nullptr;
  win::SendMessageA(window, win::WM_SETFONT, win::WPARAM(win::GetStockObject(win::DEFAULT_GUI_FONT)), 0);
  return window;
}

// ---- Tooltips ---------------------------------------------------------------

void MarqueeLabel::AddTooltip(const std::string& text, win::RECT rect, bool hasRect) {
  if (!subclassedWindow_) return;
  if (!tooltipWindow_) {
    tooltipWindow_ = win::CreateWindowExA(0, win::TOOLTIPS_CLASSA, "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    win::SetWindowPos(tooltipWindow_, win::HWND_TOPMOST, 0, 0, 0, 0, win::SWP_NOSIZE | win::SWP_NOMOVE);
    win::SendMessageA(tooltipWindow_, win::TTM_SETMAXTIPWIDTH, 0, 1024);
  }
  std::string copy = text;
  win::TOOLINFOA info{};
  info.cbSize = win::TTTOOLINFOA_V2_SIZE;
  info.uFlags = win::TTF_SUBCLASS;
  info.hwnd = subclassedWindow_;
  info.lpszText = copy.data();
  if (hasRect) {
    info.uId = win::UINT_PTR(++tooltipCount_);
    info.rect = rect;
  } else {
    win::GetClientRect(subclassedWindow_, &info.rect);
  }
  win::SendMessageA(tooltipWindow_, win::TTM_ADDTOOLA, 0, win::LPARAM(&info));
}

void MarqueeLabel::RemoveTooltips() {
  if (!tooltipWindow_) return;
  win::TOOLINFOA info{};
  info.cbSize = win::TTTOOLINFOA_V2_SIZE;
  info.hwnd = subclassedWindow_;
  if (tooltipCount_ > 0) {
    for (int id = 1; id <= tooltipCount_; ++id) {
      info.uId = win::UINT_PTR(id);
      win::SendMessageA(tooltipWindow_, win::TTM_DELTOOLA, 0, win::LPARAM(&info));
    }
    tooltipCount_ = 0;
  } else {
    info.uId = 0;
    win::SendMessageA(tooltipWindow_, win::TTM_DELTOOLA, 0, win::LPARAM(&info));
  }
}

// ---- Message handlers ------------------------------------------------------

win::LRESULT MarqueeLabel::OnTimer(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  if (wParam == kTimerId) {
    Step();
    win::InvalidateRect(window_, nullptr, win::FALSE);
  }
  return DefaultProc(window, message, wParam, lParam);
}

win::LRESULT MarqueeLabel::OnMouseMove(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  const win::LRESULT result = DefaultProc(window, message, wParam, lParam);
  if (!tracking_) {
    win::TRACKMOUSEEVENT track{sizeof(win::TRACKMOUSEEVENT), win::TME_HOVER | win::TME_LEAVE, window, kHoverMs};
    tracking_ = win::TrackMouseEvent(&track) != win::FALSE;
  }
  return result;
}

win::LRESULT MarqueeLabel::OnMouseHover(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  const win::LRESULT result = DefaultProc(window, message, wParam, lParam);
  if (pauseOnHover_) StopTimer();
  return result;
}

win::LRESULT MarqueeLabel::OnMouseLeave(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  tracking_ = false;
  pressed_ = false;
  const win::LRESULT result = DefaultProc(window, message, wParam, lParam);
  if (pauseOnHover_) StartTimer();
  return result;
}

win::LRESULT MarqueeLabel::OnLeftButtonDown(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  const win::LRESULT result = DefaultProc(window, message, wParam, lParam);
  pressed_ = true;
  return result;
}

win::LRESULT MarqueeLabel::OnLeftButtonUp(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  const win::LRESULT result = DefaultProc(window, message, wParam, lParam);
  if (pressed_ && !link_.empty()) win::ShellExecuteA(window_, "Open", link_.c_str(), "", "", win::SW_SHOW);
  pressed_ = false;
  return result;
}

win::LRESULT MarqueeLabel::OnEraseBackground(win::HWND, win::UINT, win::WPARAM wParam, win::LPARAM) {
  Paint(reinterpret_cast<win::HDC>(wParam));
  return 1;
}

win::LRESULT MarqueeLabel::OnPaint(win::HWND window, win::UINT, win::WPARAM, win::LPARAM) {
  win::PAINTSTRUCT ps;
  win::HDC dc = win::BeginPaint(window, &ps);
  Paint(dc);
  win::EndPaint(window, &ps);
  return 0;
}

// ---- Attaching and settings ------------------------------------------------

bool MarqueeLabel::Create(win::HWND parent, int x, int y, int width, int height, bool continuous, int direction) {
  if (win::IsWindow(window_)) return true;
  if (!win::IsWindow(parent)) return false;
  const win::DWORD style = win::WS_CHILD | win::WS_CLIPCHILDREN | win::WS_CLIPSIBLINGS | win::SS_NOTIFY;
  win::HWND window = CreateControlWindow(0, "Static", "", style, x, y, width, height, parent, nullptr, nullptr, nullptr);
  if (!window) return false;
  AttachWindow(window, direction, continuous);
  win::ShowWindow(window, win::SW_SHOW);
  return true;
}

bool MarqueeLabel::Attach(win::HWND window, bool continuous, int direction) {
  if (win::IsWindow(window_) || !win::IsWindow(window)) return false;
  AttachWindow(window, direction, continuous);
  win::InvalidateRect(window, nullptr, win::TRUE);
  return true;
}

void MarqueeLabel::AttachWindow(win::HWND window, int direction, bool continuous) {
  window_ = window;
  if (foreColor_ == kUnsetColour) foreColor_ = win::GetSysColor(win::COLOR_WINDOWTEXT);
  font_ = FontOf(window);
  direction_ = ValidDirection(direction);
  tracking_ = false;
  continuous_ = continuous;
  textRect_ = win::RECT{};
  Subclass(window);
  ReleaseSurface(frontLayer_);
  win::InvalidateRect(window, nullptr, win::TRUE);
  StartTimer();
}

void MarqueeLabel::SetForeColor(win::COLORREF colour) {
  foreColor_ = colour;
  Refresh(false);
}

void MarqueeLabel::SetBackColor(win::COLORREF colour) {
  backColor_ = colour;
  Refresh(false);
}

bool MarqueeLabel::SetBackgroundImage(std::span<const std::uint8_t> bytes, int mode) {
  imageMode_ = mode;
  backgroundImage_.LoadFromBytes(bytes);
  Refresh(true);
  return backgroundImage_.IsLoaded();
}

void MarqueeLabel::SetDirection(int direction) {
  direction_ = ValidDirection(direction);
  Refresh(true);
}

void MarqueeLabel::SetInterval(int milliseconds) {
  interval_ = milliseconds < 1 ? 0 : milliseconds;
  StartTimer();
}

void MarqueeLabel::SetContinuous(bool continuous) {
  continuous_ = continuous;
  Refresh(false);
}

void MarqueeLabel::SetAlignment(int horizontal, int vertical) {
  horizontalAlignment_ = horizontal;
  verticalAlignment_ = vertical;
  Refresh(true);
}

void MarqueeLabel::SetHorizontalAlignment(int value) {
  horizontalAlignment_ = value;
  Refresh(true);
}

void MarqueeLabel::SetVerticalAlignment(int value) {
  verticalAlignment_ = value;
  Refresh(true);
}

void MarqueeLabel::SetPauseOnHover(bool pause) { pauseOnHover_ = pause; }

void MarqueeLabel::SetMargin(int pixels) {
  margin_ = std::max(0, pixels);
  Refresh(true);
}

void MarqueeLabel::SetLink(const std::string& address, bool useLinkFont) {
  link_ = Trim(address);
  if (!useLinkFont) return;
  if (previousFont_) {
    win::SelectObject(frontLayer_.dc, previousFont_);
    previousFont_ = nullptr;
  }
  font_ = linkFont;
  if (frontLayer_.dc) previousFont_ = static_cast<win::HFONT>(win::SelectObject(frontLayer_.dc, linkFont));
}

void MarqueeLabel::SetText(const std::string& text) {
  if (window_) win::SetWindowTextA(window_, text.c_str());
}

void MarqueeLabel::Refresh(bool rebuild) {
  if (rebuild) ReleaseBuffers();
  if (window_) win::InvalidateRect(window_, nullptr, win::FALSE);
}

void MarqueeLabel::ReleaseBuffers() {
  if (previousFont_) {
    win::SelectObject(frontLayer_.dc, previousFont_);
    previousFont_ = nullptr;
  }
  ReleaseSurface(frontLayer_);
  ReleaseSurface(backLayer_);
}

void MarqueeLabel::StartTimer() {
  if (!window_) return;
  win::KillTimer(window_, kTimerId);
  if (interval_ > 0) win::SetTimer(window_, kTimerId, win::UINT(interval_), nullptr);
}

void MarqueeLabel::StopTimer() {
  if (window_) win::KillTimer(window_, kTimerId);
}

// ---- Layout and motion -------------------------------------------------------

void MarqueeLabel::Layout() {
  const int length = win::GetWindowTextLengthA(window_);
  std::string text(std::size_t(length) + 1, '\0');
  const int read = win::GetWindowTextA(window_, text.data(), length + 1);
  text.resize(std::size_t(std::max(0, read)));
  text_ = text;
  textRect_ = win::RECT{};
  if (text_.empty()) return;

  drawFlags_ = win::DT_NOPREFIX;
  const int bw = Bw(), bh = Bh(), m = margin_;
  const bool horizontal = direction_ == Leftward || direction_ == Rightward;
  win::RECT measure = horizontal ? win::RECT{0, m, bw + 1000, bh - m} : win::RECT{m, 0, bw - m, bh + 1000};
  if (!horizontal) drawFlags_ |= win::DT_WORDBREAK | win::DT_EDITCONTROL;
  const bool singleLine = horizontal && text_.find("\r\n") == std::string::npos;
  if (singleLine) drawFlags_ |= win::DT_SINGLELINE;
  win::DrawTextA(frontLayer_.dc, text_.c_str(), -1, &measure, drawFlags_ | win::DT_CALCRECT);
  const int w = measure.right - measure.left, h = measure.bottom - measure.top;

  int x = 0, y = 0;
  switch (direction_) {
    case Leftward: x = continuous_ ? m : bw - m; break;
    case Rightward: x = continuous_ ? bw - w - m : m - w; break;
    case Upward: y = continuous_ ? bh - h - m : bh - m; break;
    case Downward: y = continuous_ ? bh - h - m : m - h; break;
  }
  if (horizontal) {
    if (singleLine) y = (bh - h) / 2;
    else if (verticalAlignment_ == 0) y = m;
    else if (verticalAlignment_ == 1) y = (bh - h) / 2;
    else if (verticalAlignment_ == 2) y = bh - h - m;
  } else {
    if (horizontalAlignment_ == 0) {
      x = m;
    } else if (horizontalAlignment_ == 1) {
      x = (bw - w) / 2;
      drawFlags_ |= win::DT_CENTER;
    } else if (horizontalAlignment_ == 2) {
      x = bw - w - m;
      drawFlags_ |= win::DT_RIGHT;
    }
  }
  textRect_ = win::RECT{x, y, x + w, y + h};
}

void MarqueeLabel::Step() {
  win::RECT& r = textRect_;
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0) return;
  const int bw = Bw(), bh = Bh(), m = margin_;
  switch (direction_) {
    case Leftward:
      win::OffsetRect(&r, -kStep, 0);
      if (r.right < m) r = continuous_ ? win::RECT{r.right + kStep, r.top, r.right + kStep + w, r.bottom} : win::RECT{bw, r.top, bw + w, r.bottom};
      break;
    case Rightward:
      win::OffsetRect(&r, kStep, 0);
      if (r.left > bw - m) r = continuous_ ? win::RECT{r.left - kStep - w, r.top, r.left - kStep, r.bottom} : win::RECT{-w, r.top, 0, r.bottom};
      break;
    case Upward:
      win::OffsetRect(&r, 0, -kStep);
      if (r.bottom < m) r = continuous_ ? win::RECT{r.left, r.bottom + kStep, r.right, r.bottom + kStep + h} : win::RECT{r.left, bh, r.right, bh + h};
      break;
    case Downward:
      win::OffsetRect(&r, 0, kStep);
      if (r.top > bh - m) r = continuous_ ? win::RECT{r.left, r.top - kStep - h, r.right, r.top - kStep} : win::RECT{r.left, -h, r.right, 0};
      break;
  }
}

// ---- Painting ---------------------------------------------------------------

void MarqueeLabel::MakeSurface(Surface& surface, win::HDC compatible, int width, int height) {
  surface.dc = win::CreateCompatibleDC(compatible);
  surface.bitmap = win::CreateCompatibleBitmap(compatible, width, height);
  if (!surface.dc || !surface.bitmap) {
    ReleaseSurface(surface);  // an empty layer: the next paint tries again
    return;
  }
  surface.replaced = win::SelectObject(surface.dc, surface.bitmap);
  surface.width = width;
  surface.height = height;
}

void MarqueeLabel::ReleaseSurface(Surface& surface) {
  if (surface.replaced) win::SelectObject(surface.dc, surface.replaced);
  if (surface.bitmap) win::DeleteObject(surface.bitmap);
  if (surface.dc) win::DeleteDC(surface.dc);
  surface = Surface{};
}

void MarqueeLabel::Paint(win::HDC dc) {
  win::RECT client{};
  win::GetClientRect(window_, &client);
  if (!frontLayer_.dc || frontLayer_.width != client.right || frontLayer_.height != client.bottom) {
    ReleaseBuffers();
    MakeSurface(frontLayer_, dc, client.right, client.bottom);
    MakeSurface(backLayer_, dc, client.right, client.bottom);
    if (!frontLayer_.dc) return;
    previousFont_ = static_cast<win::HFONT>(win::SelectObject(frontLayer_.dc, font_));
    Layout();
    DrawBackground();
  }
  Compose();
  win::BitBlt(dc, 0, 0, client.right, client.bottom, frontLayer_.dc, 0, 0, win::SRCCOPY);
}

void MarqueeLabel::DrawBackground() {
  win::HBRUSH brush = win::CreateSolidBrush(backColor_);
  const win::RECT all{0, 0, frontLayer_.width, frontLayer_.height};
  win::FillRect(backLayer_.dc, &all, brush);
  win::DeleteObject(brush);
  if (backgroundImage_.IsLoaded())
    backgroundImage_.DrawModeToDC(backLayer_.dc, 0, 0, frontLayer_.width, frontLayer_.height, imageMode_);
}

void MarqueeLabel::Compose() {
  win::BitBlt(frontLayer_.dc, 0, 0, frontLayer_.width, frontLayer_.height, backLayer_.dc, 0, 0, win::SRCCOPY);
  if (textRect_.right <= textRect_.left) return;
  win::SetBkMode(frontLayer_.dc, win::TRANSPARENT);
  win::SetTextColor(frontLayer_.dc, foreColor_);
  win::HRGN clip = nullptr;
  if (margin_ > 0) {
    clip = win::CreateRectRgn(margin_, margin_, frontLayer_.width - margin_, frontLayer_.height - margin_);
    win::SelectClipRgn(frontLayer_.dc, clip);
  }
  switch (direction_) {
    case Leftward: DrawTilesLeftward(frontLayer_.dc); break;
    case Upward: DrawTilesUpward(frontLayer_.dc); break;
    case Rightward: DrawTilesRightward(frontLayer_.dc); break;
    case Downward: DrawTilesDownward(frontLayer_.dc); break;
  }
  if (clip) {
    win::SelectClipRgn(frontLayer_.dc, nullptr);
    win::DeleteObject(clip);
  }
}

// Draws copies of the text from textRect on, each moved by (dx, dy) from
// the last, while `more` holds; one copy only without `continuous`.
void MarqueeLabel::DrawCopies(win::HDC dc, int dx, int dy, bool (*more)(const win::RECT&, int, int)) {
  win::RECT r = textRect_;
  do {
    win::RECT copy = r;
    win::DrawTextA(dc, text_.c_str(), -1, &copy, drawFlags_);
    win::OffsetRect(&r, dx, dy);
  } while (continuous_ && more(r, frontLayer_.width, frontLayer_.height));
}

void MarqueeLabel::DrawTilesLeftward(win::HDC dc) {
  const int w = textRect_.right - textRect_.left;
  DrawCopies(dc, w + kStep, 0, [](const win::RECT& r, int width, int) { return r.left < width; });
}

void MarqueeLabel::DrawTilesRightward(win::HDC dc) {
  const int w = textRect_.right - textRect_.left;
  DrawCopies(dc, -(w + kStep), 0, [](const win::RECT& r, int, int) { return r.right > 0; });
}

void MarqueeLabel::DrawTilesUpward(win::HDC dc) {
  const int h = textRect_.bottom - textRect_.top;
  DrawCopies(dc, 0, h + kStep, [](const win::RECT& r, int, int height) { return r.top < height; });
}

void MarqueeLabel::DrawTilesDownward(win::HDC dc) {
  const int h = textRect_.bottom - textRect_.top;
  DrawCopies(dc, 0, -(h + kStep), [](const win::RECT& r, int, int) { return r.bottom > 0; });
}

}  // namespace lumbrix
