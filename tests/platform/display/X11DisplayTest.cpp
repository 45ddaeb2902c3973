// The X11 display under Xvfb: started by the test, skipped when missing.
// Xlib last: its macros (None, Status) clash with names in the others.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "platform/display/Display.h"
#include "platform/display/X11Display.h"
#include "platform/gdi/GdiInternal.h"
#include "platform/user/WindowSystem.h"
#include "tests/support/LocalServers.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace win {
namespace {

std::vector<UINT> clicks;

LRESULT TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) clicks.push_back(message);
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    HBRUSH brush = CreateSolidBrush(RGB(200, 40, 40));
    FillRect(dc, &ps.rcPaint, brush);
    DeleteObject(brush);
    EndPaint(window, &ps);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// One X server for the whole suite: the display stays connected to it for
// the life of the process.
class X11DisplayTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (access("/usr/bin/Xvfb", X_OK) != 0) return;
    for (int n = 60 + getpid() % 200;; ++n) {
      if (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n))) continue;
      display_ = ":" + std::to_string(n);
      break;
    }
    server_ = new lumbrix::testing::ChildProcess(
        "Xvfb", std::vector<std::string>{display_, "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, true);
    const auto socket = "/tmp/.X11-unix/X" + display_.substr(1);
    for (int i = 0; i < 200 && !std::filesystem::exists(socket); ++i) usleep(20000);
    setenv("DISPLAY", display_.c_str(), 1);
    display::Initialize(true);
    WNDCLASSEXA wc;
    wc.lpfnWndProc = TargetProc;
    wc.lpszClassName = "LumbrixX11Target";
    RegisterClassExA(&wc);
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    if (!server_) GTEST_SKIP() << "Xvfb is not installed (scripts/install-deps installs it)";
    ASSERT_TRUE(display::X11Active());
    observer_ = XOpenDisplay(display_.c_str());
    ASSERT_NE(observer_, nullptr);
    top_ = CreateWindowExA(0, "LumbrixX11Target", "Lumbrix X11", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 30, 300, 200,
                           nullptr, nullptr, nullptr, nullptr);
    child_ = CreateWindowExA(0, "LumbrixX11Target", "", WS_CHILD | WS_VISIBLE, 20, 20, 100, 40, top_, nullptr, nullptr,
                             nullptr);
    Pump([&] { return display::x11::XWindowOf(top_) != 0; });
  }
  void TearDown() override {
    if (IsWindow(top_)) DestroyWindow(top_);
    display::x11::ProcessEvents(0);
    if (observer_) XCloseDisplay(observer_);
  }
  template <typename Done>
  bool Pump(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
      user::PumpPendingMessages();
      display::x11::ProcessEvents(20);
      user::PumpPendingMessages();
      if (done()) return true;
    }
    return false;
  }

  static inline std::string display_;
  static inline lumbrix::testing::ChildProcess* server_ = nullptr;
  Display* observer_ = nullptr;
  HWND top_ = nullptr;
  HWND child_ = nullptr;
};

TEST_F(X11DisplayTest, AWindowAppearsWithItsCaption) {
  const auto xw = ::Window(display::x11::XWindowOf(top_));
  ASSERT_NE(xw, 0u);
  char* name = nullptr;
  ASSERT_TRUE(Pump([&] { return XFetchName(observer_, xw, &name) && name; }));
  EXPECT_STREQ(name, "Lumbrix X11");
  XFree(name);
  XWindowAttributes attributes{};
  XGetWindowAttributes(observer_, xw, &attributes);
  EXPECT_EQ(attributes.width, 300);
  EXPECT_EQ(attributes.height, 200);
  EXPECT_EQ(attributes.map_state, IsViewable);
}

TEST_F(X11DisplayTest, TheScreenShowsWhatTheHeadlessSnapshotShows) {
  const auto xw = ::Window(display::x11::XWindowOf(top_));
  HBITMAP picture = display::ComposeWindow(top_);
  const gdi::PixelView expected = gdi::PixelsOf(picture);
  int differing = 0;
  Pump([&] {
    XImage* image = XGetImage(observer_, xw, 0, 0, 300, 200, AllPlanes, ZPixmap);
    if (!image) return false;
    differing = 0;
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 300; ++x) {
        const std::uint32_t want =
            reinterpret_cast<const std::uint32_t*>(expected.data + std::size_t(y) * expected.stride)[x] & 0xFFFFFF;
        if ((XGetPixel(image, x, y) & 0xFFFFFF) != want) ++differing;
      }
    XDestroyImage(image);
    return differing < 300 * 200 / 100;
  });
  EXPECT_LT(differing, 300 * 200 / 100);
  DeleteObject(picture);
}

TEST_F(X11DisplayTest, AClickMadeWithXdotoolReachesTheControlUnderIt) {
  if (access("/usr/bin/xdotool", X_OK) != 0) GTEST_SKIP() << "xdotool is not installed";
  clicks.clear();
  RECT r;
  GetWindowRect(child_, &r);
  const std::string x = std::to_string(r.left + 10), y = std::to_string(r.top + 10);
  ASSERT_EQ(lumbrix::testing::RunProgram("xdotool", {"mousemove", "--sync", x, y, "click", "1"}), 0);
  EXPECT_TRUE(Pump([] { return clicks.size() >= 2; }));
  EXPECT_EQ(clicks, (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
}

}  // namespace
}  // namespace win
