#include "platform/comctl/CommCtrl.h"

#include <gtest/gtest.h>

#include "platform/display/Display.h"
#include "platform/gdiplus/GdiPlus.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/CodePage.h"
#include "platform/user/WindowSystem.h"
#include "tools/gif/GifWriter.h"

namespace win {
namespace {

std::vector<std::pair<UINT, WPARAM>> commands;

LRESULT ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) commands.emplace_back(message, wParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

class CommonControlsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    display::Initialize(false);
    InitCommonControls();
    ULONG_PTR token;
    GdiplusStartupInput input;
    GdiplusStartup(&token, &input, nullptr);
    WNDCLASSEXA wc;
    wc.lpfnWndProc = ParentProc;
    wc.lpszClassName = "LumbrixControlHost";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(ULONG_PTR(COLOR_BTNFACE + 1));
    RegisterClassExA(&wc);
  }
  void SetUp() override {
    commands.clear();
    host_ = CreateWindowExA(0, "LumbrixControlHost", "host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 380, 385, nullptr,
                            nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    for (HWND w : user::TopLevelWindows()) DestroyWindow(w);
  }
  HWND Make(const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id = 0, HWND parent = nullptr) {
    return CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent ? parent : host_,
                           reinterpret_cast<HMENU>(ULONG_PTR(id)), nullptr, nullptr);
  }
  ScopedVirtualClock clock_{5000};
  HWND host_ = nullptr;
};

TEST_F(CommonControlsTest, StaticKeepsTextAndFontAndLetsClicksThroughUnlessNotify) {
  HWND label = Make("Static", "", 0, 10, 10, 100, 20);
  const std::string text = AnsiText("静态数据");
  SetWindowTextA(label, text.c_str());
  char back[64];
  GetWindowTextA(label, back, sizeof back);
  EXPECT_EQ(std::string(back), text);
  SendMessageA(label, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
  EXPECT_EQ(SendMessageA(label, WM_GETFONT, 0, 0), LRESULT(GetStockObject(DEFAULT_GUI_FONT)));
  user::PumpPendingMessages();
  HBITMAP picture = display::ComposeWindow(host_);
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, picture);
  int dark = 0;
  for (int y = 25 + 10; y < 25 + 30; ++y)
    for (int x = 13; x < 113; ++x) dark += GetRValue(GetPixel(dc, x, y)) < 100;
  EXPECT_GT(dark, 20);  // the text was drawn
  DeleteDC(dc);
  DeleteObject(picture);

  EXPECT_EQ(WindowFromPoint(POINT{20, 40}), host_);  // no SS_NOTIFY: transparent
  HWND notifying = Make("Static", "x", SS_NOTIFY, 10, 50, 100, 20, 42);
  EXPECT_EQ(WindowFromPoint(POINT{20, 25 + 55}), notifying);
  display::Click(20, 25 + 55);
  user::PumpPendingMessages();
  EXPECT_EQ(commands, (std::vector<std::pair<UINT, WPARAM>>{{WM_COMMAND, WPARAM(MAKELPARAM(42, STN_CLICKED))}}));
}

TEST_F(CommonControlsTest, ButtonClicksWhenReleasedOverItself) {
  Make("Button", "OK", 0, 10, 10, 75, 23, IDOK);
  display::Click(3 + 20, 25 + 20);
  user::PumpPendingMessages();
  EXPECT_EQ(commands.size(), 1u);
  display::MouseDown(3 + 20, 25 + 20);
  display::MouseUp(300, 300);  // released elsewhere
  user::PumpPendingMessages();
  EXPECT_EQ(commands.size(), 1u);
}

TEST_F(CommonControlsTest, TabControlMakesAPagePerItem) {
  HWND tabs = Make(WC_TABCONTROLA, "", 0, 0, 188, 376, 150);
  TCITEMA item{TCIF_TEXT, 0, 0, const_cast<LPSTR>("Page"), 0, 0, 0};
  EXPECT_EQ(SendMessageA(tabs, TCM_INSERTITEMA, 0, LPARAM(&item)), 0);
  EXPECT_EQ(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), 1);
  EXPECT_EQ(SendMessageA(tabs, TCM_GETCURSEL, 0, 0), 0);
  TCITEMA read{TCIF_PARAM, 0, 0, nullptr, 0, 0, 0};
  ASSERT_TRUE(SendMessageA(tabs, TCM_GETITEMA, 0, LPARAM(&read)));
  HWND page = reinterpret_cast<HWND>(read.lParam);
  ASSERT_TRUE(IsWindow(page));
  EXPECT_EQ(GetParent(page), tabs);
  EXPECT_TRUE(IsWindowVisible(page));
  HWND onPage = Make("Static", "label", SS_NOTIFY, 0, 0, 373, 20, 5, page);
  RECT pageRect, labelRect;
  GetWindowRect(page, &pageRect);
  GetWindowRect(onPage, &labelRect);
  EXPECT_EQ(labelRect.left, pageRect.left);  // positions on a page are relative to the page
  display::Click(labelRect.left + 5, labelRect.top + 5);
  user::PumpPendingMessages();
  EXPECT_EQ(commands.size(), 1u);  // the page passes notices to the dialog
  EXPECT_NE(display::WindowTreeJson().find("\"tabs\":[\"Page\"]"), std::string::npos);
}

TEST_F(CommonControlsTest, StatusBarPartsAndTexts) {
  HWND bar = Make(STATUSCLASSNAMEA, "", 0, 0, 0, 0, 0);
  RECT r, client;
  GetWindowRect(bar, &r);
  GetClientRect(host_, &client);
  EXPECT_EQ(r.bottom - r.top, kStatusBarHeight);
  EXPECT_EQ(r.right - r.left, client.right);
  EXPECT_EQ(r.bottom, 385 - 3);  // along the bottom edge
  int rights[] = {140, -1};
  EXPECT_TRUE(SendMessageA(bar, SB_SETPARTS, 2, LPARAM(rights)));
  const std::string first = AnsiText("运营状态:"), second = AnsiText("当前版本:");
  SendMessageA(bar, SB_SETTEXTA, 0, LPARAM(first.c_str()));
  SendMessageA(bar, SB_SETTEXTA, 1, LPARAM(second.c_str()));
  char text[64];
  EXPECT_EQ(SendMessageA(bar, SB_GETTEXTA, 1, LPARAM(text)), LRESULT(second.size()));
  EXPECT_EQ(std::string(text), second);
  int read[4] = {};
  EXPECT_EQ(SendMessageA(bar, SB_GETPARTS, 4, LPARAM(read)), 2);
  EXPECT_EQ(read[0], 140);
  EXPECT_FALSE(SendMessageA(bar, SB_SETTEXTA, 5, LPARAM("x")));
  const std::string tree = display::WindowTreeJson();
  EXPECT_NE(tree.find("\"parts\":[{\"right\":140,\"text\":\"运营状态:\"},{\"right\":-1,\"text\":\"当前版本:\"}]"),
            std::string::npos);
}

TEST_F(CommonControlsTest, TooltipsRegisterToolsAndShowAfterTheRest) {
  HWND label = Make("Static", "label", SS_NOTIFY, 10, 10, 200, 20);
  HWND tip = CreateWindowExA(0, TOOLTIPS_CLASSA, "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(IsWindow(tip));
  SendMessageA(tip, TTM_SETMAXTIPWIDTH, 0, 1024);
  for (UINT_PTR id = 1; id <= 3; ++id) {
    TOOLINFOA info{TTTOOLINFOA_V2_SIZE, TTF_SUBCLASS, label, id, RECT{LONG(id - 1) * 50, 0, LONG(id) * 50, 20}, nullptr,
                   const_cast<LPSTR>("tip"), 0, nullptr};
    EXPECT_TRUE(SendMessageA(tip, TTM_ADDTOOLA, 0, LPARAM(&info)));
  }
  EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 3);
  display::MouseMove(3 + 10 + 60, 25 + 10 + 5);  // over tool 2
  user::PumpPendingMessages();
  EXPECT_FALSE(IsWindowVisible(tip));
  clock_.clock().Advance(kTooltipInitialDelayMs);
  user::PumpPendingMessages();
  EXPECT_TRUE(IsWindowVisible(tip));
  for (UINT_PTR id = 1; id <= 3; ++id) {
    TOOLINFOA info{TTTOOLINFOA_V2_SIZE, 0, label, id, {}, nullptr, nullptr, 0, nullptr};
    SendMessageA(tip, TTM_DELTOOLA, 0, LPARAM(&info));
  }
  EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 0);
  TOOLINFOA tooSmall{8, 0, label, 9, {}, nullptr, nullptr, 0, nullptr};
  EXPECT_FALSE(SendMessageA(tip, TTM_ADDTOOLA, 0, LPARAM(&tooSmall)));
}

TEST_F(CommonControlsTest, PictureBoxShowsTheSecondFrameAfterOneSecond) {
  using lumbrix::tools::GifFrame;
  const auto palette = lumbrix::tools::StandardPalette();
  std::vector<GifFrame> frames;
  for (std::uint8_t colour : {lumbrix::tools::NearestIndex(255, 0, 0), lumbrix::tools::NearestIndex(0, 0, 255)})
    frames.push_back(GifFrame{std::vector<std::uint8_t>(400 * 100, colour), 100});
  const auto gif = lumbrix::tools::EncodeGif(400, 100, palette, frames);
  HWND box = Make(kPictureBoxClass, "", 0, 0, 0, 100, 50);
  ASSERT_TRUE(SendMessageA(box, PBM_SETIMAGE, gif.size(), LPARAM(gif.data())));
  user::PumpPendingMessages();
  EXPECT_EQ(SendMessageA(box, PBM_GETFRAMECOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageA(box, PBM_GETFRAME, 0, 0), 0);
  auto colourAt = [&] {
    HDC dc = GetDC(box);
    const COLORREF c = GetPixel(dc, 50, 25);
    ReleaseDC(box, dc);
    return c;
  };
  EXPECT_EQ(colourAt(), RGB(255, 0, 0));
  clock_.clock().Advance(999);
  user::PumpPendingMessages();
  EXPECT_EQ(SendMessageA(box, PBM_GETFRAME, 0, 0), 0);
  clock_.clock().Advance(1);
  user::PumpPendingMessages();
  EXPECT_EQ(SendMessageA(box, PBM_GETFRAME, 0, 0), 1);
  EXPECT_EQ(colourAt(), RGB(0, 0, 255));
  EXPECT_FALSE(SendMessageA(box, PBM_SETIMAGE, 4, LPARAM("GIF8")));
}

}  // namespace
}  // namespace win
