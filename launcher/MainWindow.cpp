#include "launcher/MainWindow.h"

#include "launcher/BannerPicture.h"
#include "launcher/Resources.h"
#include "platform/comctl/CommCtrl.h"
#include "platform/kernel/CodePage.h"

namespace lumbrix {

namespace {

constexpr const char* kClassName = "LumbrixMainWindow";
constexpr win::DWORD kStyle = win::WS_POPUP | win::WS_CAPTION | win::WS_SYSMENU | win::WS_MINIMIZEBOX | win::WS_CLIPCHILDREN;

win::HFONT GuiFont() { return static_cast<win::HFONT>(win::GetStockObject(win::DEFAULT_GUI_FONT)); }

win::HWND Child(const char* cls, const std::string& text, win::DWORD style, int x, int y, int w, int h, win::HWND parent,
                ControlId id) {
  win::HWND control = win::CreateWindowExA(0, cls, text.c_str(), win::WS_CHILD | style, x, y, w, h, parent,
                                           reinterpret_cast<win::HMENU>(win::ULONG_PTR(id)), nullptr, nullptr);
  win::SendMessageA(control, win::WM_SETFONT, win::WPARAM(GuiFont()), 0);
  return control;
}

}  // namespace

MainWindow::MainWindow(LauncherSettings settings, std::function<void(MainWindow&)> onCreated)
    : settings_(std::move(settings)), onCreated_(std::move(onCreated)) {}

bool MainWindow::Create() {
  static const bool registered = [] {
    win::WNDCLASSEXA wc;
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = kClassName;
    wc.hCursor = win::LoadCursorA(nullptr, win::IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<win::HBRUSH>(win::ULONG_PTR(win::COLOR_BTNFACE + 1));
    wc.hInstance = win::GetModuleHandleA(nullptr);
    wc.hIcon = win::LoadIconA(wc.hInstance, win::MAKEINTRESOURCEA(kIconId));
    return win::RegisterClassExA(&wc) != 0;
  }();
  if (!registered) return false;
  window_ = win::CreateWindowExA(0, kClassName, "", kStyle, kX, kY, kWidth, kHeight, nullptr, nullptr,
                                 win::GetModuleHandleA(nullptr), this);
  return window_ != nullptr;
}

void MainWindow::Show() {
  win::ShowWindow(window_, win::SW_SHOW);
  win::UpdateWindow(window_);
}

win::HWND MainWindow::Control(ControlId id) const {
  win::HWND onWindow = win::GetDlgItem(window_, id);
  return onWindow ? onWindow : win::GetDlgItem(page_, id);
}

void MainWindow::CreateControls() {
  Child(win::kPictureBoxClass, "", win::WS_VISIBLE, 0, 0, 376, 189, window_, 图片框1);
  win::HWND tabs = Child(win::WC_TABCONTROLA, "", win::WS_VISIBLE | win::WS_CLIPCHILDREN, 0, 188, 376, 150, window_, 选择夹1);
  std::string caption = win::AnsiText("公告");
  win::TCITEMA item{win::TCIF_TEXT, 0, 0, caption.data(), 0, 0, 0};
  win::SendMessageA(tabs, win::TCM_INSERTITEMA, 0, win::LPARAM(&item));
  win::TCITEMA read{win::TCIF_PARAM, 0, 0, nullptr, 0, 0, 0};
  win::SendMessageA(tabs, win::TCM_GETITEMA, 0, win::LPARAM(&read));
  page_ = reinterpret_cast<win::HWND>(read.lParam);

  // Positions on the tab page are relative to the page.
  const win::DWORD label = win::WS_VISIBLE | win::SS_NOTIFY | win::SS_NOPREFIX;
  Child("Static", "", label, 0, 0, 373, 20, page_, 标签1);
  win::HWND link = Child("Static", win::AnsiText("下载最新版本"), win::SS_NOTIFY | win::SS_NOPREFIX, 296, 104, 72, 18,
                         page_, 下载新版本);
  win::SetWindowSubclass(link, LinkHook, 1, reinterpret_cast<win::DWORD_PTR>(this));
  // This position lies below the page's 150-pixel height, as the window
  // definition places it.
  Child("Static", win::AnsiText("静态数据"), label, 10, 249, 168, 19, page_, 静态数据);

  win::HWND status = Child(win::STATUSCLASSNAMEA, "", win::WS_VISIBLE, 0, 0, 0, 0, window_, 状态条1);
  int rights[] = {kStatusPart0, kStatusPart0 + kStatusPart1};
  win::SendMessageA(status, win::SB_SETPARTS, 2, win::LPARAM(rights));
  SetStatusText(0, win::AnsiText("运营状态:"));
  SetStatusText(1, win::AnsiText("当前版本:"));
}

void MainWindow::RunStartupSequence() {
  win::SendMessageA(Control(图片框1), win::PBM_SETIMAGE, kBannerGif.size(), win::LPARAM(kBannerGif.data()));
  win::SetWindowTextA(window_, settings_.Caption().c_str());
  if (onCreated_) onCreated_(*this);
}

void MainWindow::SetStatusText(int part, const std::string& text) {
  win::SendMessageA(Control(状态条1), win::SB_SETTEXTA, win::WPARAM(part), win::LPARAM(text.c_str()));
}

std::string MainWindow::StatusText(int part) const {
  win::HWND status = Control(状态条1);
  std::string text(std::size_t(win::SendMessageA(status, win::SB_GETTEXTLENGTHA, win::WPARAM(part), 0)) + 1, '\0');
  win::SendMessageA(status, win::SB_GETTEXTA, win::WPARAM(part), win::LPARAM(text.data()));
  text.resize(text.size() - 1);
  return text;
}

void MainWindow::OpenDownload() {
  // No test is made first: the link is only visible once an address is set.
  win::ShellExecuteA(window_, "open", downloadAddress_.c_str(), "", "", win::SW_SHOW);
}

win::LRESULT MainWindow::LinkHook(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam,
                                  win::UINT_PTR, win::DWORD_PTR self) {
  if (message == win::WM_LBUTTONDOWN) reinterpret_cast<MainWindow*>(self)->OpenDownload();
  return win::DefSubclassProc(window, message, wParam, lParam);
}

win::LRESULT MainWindow::Proc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam) {
  auto* self = reinterpret_cast<MainWindow*>(win::GetWindowLongPtrA(window, win::GWLP_USERDATA));
  switch (message) {
    case win::WM_CREATE: {
      self = static_cast<MainWindow*>(reinterpret_cast<const win::CREATESTRUCTA*>(lParam)->lpCreateParams);
      win::SetWindowLongPtrA(window, win::GWLP_USERDATA, reinterpret_cast<win::LONG_PTR>(self));
      self->window_ = window;
      self->CreateControls();
      self->RunStartupSequence();
      return 0;
    }
    case win::WM_SIZE:
      if (self) win::SendMessageA(self->Control(状态条1), win::WM_SIZE, wParam, lParam);
      return 0;
    case win::WM_SETCURSOR:
      // The download link shows the hand.
      if (self && reinterpret_cast<win::HWND>(wParam) == self->Control(下载新版本)) {
        win::SetCursor(win::LoadCursorA(nullptr, win::IDC_HAND));
        return win::TRUE;
      }
      return win::DefWindowProcA(window, message, wParam, lParam);
    default: return win::DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace lumbrix
