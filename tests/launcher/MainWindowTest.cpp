#include "launcher/MainWindow.h"
#include "launcher/Resources.h"
#include "tests/support/Dib.h"

#include <gtest/gtest.h>

#include "platform/comctl/CommCtrl.h"
#include "platform/display/Display.h"
#include "platform/kernel/CodePage.h"
#include "platform/user/WindowSystem.h"

namespace lumbrix {
namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    win::display::Initialize(false);
    win::InitCommonControls();
  }
  void TearDown() override {
    for (win::HWND w : win::user::TopLevelWindows()) win::DestroyWindow(w);
  }
};

TEST_F(MainWindowTest, BeforeTheDisplayRunsTheStatusBarHoldsItsInitialTexts) {
  bool created = false;
  MainWindow window(LauncherSettings{}, [&](MainWindow& w) {
    created = true;
    EXPECT_EQ(w.StatusText(0), win::AnsiText("运营状态:"));
    EXPECT_EQ(w.StatusText(1), win::AnsiText("当前版本:"));
    EXPECT_FALSE(win::IsWindowVisible(w.Control(下载新版本)));
  });
  ASSERT_TRUE(window.Create());
  EXPECT_TRUE(created);
  char caption[64];
  win::GetWindowTextA(window.Handle(), caption, sizeof caption);
  EXPECT_STREQ(caption, "LumbrixV1.0");
  win::RECT r;
  win::GetWindowRect(window.Handle(), &r);
  EXPECT_EQ(r, (win::RECT{50, 50, 430, 435}));
}

TEST_F(MainWindowTest, ControlsSitWhereTheWindowDefinitionPutsThem) {
  MainWindow window(LauncherSettings{}, nullptr);
  ASSERT_TRUE(window.Create());
  auto rect = [&](ControlId id) {
    win::RECT r;
    win::GetWindowRect(window.Control(id), &r);
    return r;
  };
  const win::RECT picture = rect(图片框1), tabs = rect(选择夹1), label = rect(标签1), link = rect(下载新版本);
  EXPECT_EQ(picture.right - picture.left, 376);
  EXPECT_EQ(picture.bottom - picture.top, 189);
  EXPECT_EQ(tabs.top - picture.top, 188);
  EXPECT_EQ(label.right - label.left, 373);
  EXPECT_EQ(link.right - link.left, 72);
  EXPECT_EQ(link.left - label.left, 296);  // both on the page, relative to it
  EXPECT_EQ(link.top - label.top, 104);
  char text[64];
  win::GetWindowTextA(window.Control(下载新版本), text, sizeof text);
  EXPECT_EQ(std::string(text), win::AnsiText("下载最新版本"));
  win::GetWindowTextA(window.Control(静态数据), text, sizeof text);
  EXPECT_EQ(std::string(text), win::AnsiText("静态数据"));
}

TEST_F(MainWindowTest, TheLinkShowsTheHandCursor) {
  MainWindow window(LauncherSettings{}, nullptr);
  ASSERT_TRUE(window.Create());
  window.Show();
  win::ShowWindow(window.Control(下载新版本), win::SW_SHOW);
  win::RECT link;
  win::GetWindowRect(window.Control(下载新版本), &link);
  win::display::MouseMove(link.left + 5, link.top + 5);
  EXPECT_EQ(win::GetCursor(), win::LoadCursorA(nullptr, win::IDC_HAND));
  win::display::MouseMove(link.left - 50, link.top + 5);
  EXPECT_EQ(win::GetCursor(), win::LoadCursorA(nullptr, win::IDC_ARROW));
}

TEST_F(MainWindowTest, TheIconLoadsByNumberAndByNameAtTheSizeAsked) {
  RegisterResources();
  for (win::LPCSTR name : {win::MAKEINTRESOURCEA(kIconId), "DEFAULT_ICON", "default_icon"}) {
    for (int size : {16, 32}) {
      auto icon = reinterpret_cast<win::HICON>(win::LoadImageA(win::GetModuleHandleA(nullptr), name, win::IMAGE_ICON, size, size, 0));
      ASSERT_NE(icon, nullptr);
      lumbrix::testing::Dib dib(40, 40);
      ASSERT_TRUE(win::DrawIconEx(dib.dc, 0, 0, icon, 0, 0, 0, nullptr, win::DI_NORMAL));
      EXPECT_EQ(dib.At(size / 2, size / 2) >> 24, 0xFFu);  // opaque in the middle
      EXPECT_LT(dib.At(0, 0) >> 24, 64u);                  // a (nearly) transparent rounded corner
      EXPECT_EQ(dib.At(size + 2, size / 2), 0u);           // drawn at the size asked
      win::DestroyIcon(icon);
    }
  }
  EXPECT_EQ(win::LoadImageA(nullptr, win::MAKEINTRESOURCEA(130), win::IMAGE_ICON, 16, 16, 0), nullptr);
}

}  // namespace
}  // namespace lumbrix
