// The main window: banner, a tab page with the announcement, the download
// link and the static data, and the status bar.
#pragma once

#include <functional>
#include <string>

#include "launcher/Settings.h"
#include "platform/user/User.h"

namespace lumbrix {

// The controls, by the names the window definition gives them.
enum ControlId : int {
  图片框1 = 1001,  // picture box: the banner
  选择夹1 = 1002,  // tab control
  标签1 = 1003,    // the announcement, a marquee
  下载新版本 = 1004,  // the download link
  静态数据 = 1005,  // the static data
  状态条1 = 1006,  // status bar
};

class MainWindow {
 public:
  static constexpr int kX = 50, kY = 50, kWidth = 380, kHeight = 385;
  static constexpr int kStatusPart0 = 140, kStatusPart1 = 235;

  // `onCreated` runs as the last step of the window's creation (the
  // service-information display).
  MainWindow(LauncherSettings settings, std::function<void(MainWindow&)> onCreated);
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window; its creation runs the start-up sequence.
  bool Create();
  void Show();
  win::HWND Handle() const { return window_; }
  win::HWND Control(ControlId id) const;
  const LauncherSettings& Settings() const { return settings_; }

  void SetStatusText(int part, const std::string& text);
  std::string StatusText(int part) const;
  void SetDownloadAddress(const std::string& address) { downloadAddress_ = address; }
  const std::string& DownloadAddress() const { return downloadAddress_; }
  // Opens the download address with the shell, as a press on the link does.
  void OpenDownload();

 private:
  static win::LRESULT Proc(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam);
  static win::LRESULT LinkHook(win::HWND window, win::UINT message, win::WPARAM wParam, win::LPARAM lParam,
                               win::UINT_PTR id, win::DWORD_PTR self);
  void CreateControls();
  void RunStartupSequence();

  LauncherSettings settings_;
  std::function<void(MainWindow&)> onCreated_;
  win::HWND window_ = nullptr;
  win::HWND page_ = nullptr;
  std::string downloadAddress_;
};

}  // namespace lumbrix
