#include "controls/MarqueeLabel.h"

#include <gtest/gtest.h>

#include "platform/comctl/CommCtrl.h"
#include "platform/display/Display.h"
#include "platform/kernel/Clock.h"
#include "platform/user/WindowSystem.h"

namespace lumbrix {
namespace {

constexpr int kWidth = 373, kHeight = 20;

// The label's client pixels, row by row.
using Picture = std::vector<std::uint32_t>;

class MarqueeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    win::display::Initialize(false);
    win::InitCommonControls();
    MarqueeLabel::ModuleStartup();
  }
  void SetUp() override {
    host_ = win::CreateWindowExA(0, win::kTabPageClass, "", win::WS_POPUP | win::WS_VISIBLE, 0, 0, 400, 200, nullptr,
                                 nullptr, nullptr, nullptr);
    label_ = Label(kWidth, kHeight);
  }
  void TearDown() override {
    for (win::HWND w : win::user::TopLevelWindows()) win::DestroyWindow(w);
    win::user::SetShellOpenHandler(nullptr);
  }
  win::HWND Label(int w, int h) {
    win::HWND label = win::CreateWindowExA(0, "Static", "", win::WS_CHILD | win::WS_VISIBLE | win::SS_NOTIFY, 0, 0, w, h,
                                           host_, nullptr, nullptr, nullptr);
    win::SendMessageA(label, win::WM_SETFONT, win::WPARAM(win::GetStockObject(win::DEFAULT_GUI_FONT)), 0);
    return label;
  }
  // The set-up of the announcement: continuous, leftward, 300 ms, red.
  void Announce(const char* text, bool continuous = true) {
    win::SetWindowTextA(label_, text);
    ASSERT_TRUE(marquee_.Attach(label_, continuous, MarqueeLabel::Leftward));
    marquee_.SetInterval(300);
    marquee_.SetForeColor(255);
    win::user::PumpPendingMessages();
  }
  void Tick(int ms = 300) {
    clock_.clock().Advance(std::uint64_t(ms));
    win::user::PumpPendingMessages();
  }
  Picture Capture() {
    win::HDC dc = win::GetDC(label_);
    Picture p;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) p.push_back(win::GetPixel(dc, x, y));
    win::ReleaseDC(label_, dc);
    return p;
  }
  static bool Red(std::uint32_t c) { return int(win::GetRValue(c)) - int(win::GetGValue(c)) > 60; }
  static int FirstRedColumn(const Picture& p) {
    for (int x = 0; x < kWidth; ++x)
      for (int y = 0; y < kHeight; ++y)
        if (Red(p[std::size_t(y * kWidth + x)])) return x;
    return -1;
  }
  // Whether `after` is `before` moved `dx` pixels to the left (the columns
  // both show).
  static bool ShiftedLeft(const Picture& before, const Picture& after, int dx) {
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x + dx < kWidth; ++x)
        if (after[std::size_t(y * kWidth + x)] != before[std::size_t(y * kWidth + x + dx)]) return false;
    return true;
  }

  win::ScopedVirtualClock clock_{1000};
  win::HWND host_ = nullptr;
  win::HWND label_ = nullptr;
  MarqueeLabel marquee_;
};

TEST_F(MarqueeTest, TheAnnouncementStartsRedAtTheLeftAndMovesFivePixelsEvery300ms) {
  Announce("Lumbrix announcement");
  const Picture first = Capture();
  EXPECT_GE(FirstRedColumn(first), 0);
  EXPECT_LE(FirstRedColumn(first), 2);
  EXPECT_EQ(marquee_.TextRect().left, 0);
  Tick(299);
  EXPECT_EQ(Capture(), first);
  Tick(1);
  EXPECT_EQ(marquee_.TextRect().left, -5);
  EXPECT_TRUE(ShiftedLeft(first, Capture(), 5));
}

TEST_F(MarqueeTest, CopiesRepeatFivePixelsApartAndWrapWithoutAJump) {
  Announce("short");
  const int w = marquee_.TextRect().right - marquee_.TextRect().left;
  ASSERT_GT(w, 10);
  EXPECT_GT(FirstRedColumn(Capture()), -1);
  Picture before = Capture();
  bool wrapped = false;
  for (int tick = 0; tick < (w + 5) / 5 + 3; ++tick) {
    Tick();
    const Picture after = Capture();
    EXPECT_TRUE(ShiftedLeft(before, after, 5)) << "tick " << tick;
    if (marquee_.TextRect().left > -5) wrapped = true;
    before = after;
  }
  EXPECT_TRUE(wrapped);
  EXPECT_LT(marquee_.TextRect().left, 5);
}

TEST_F(MarqueeTest, WithoutContinuousTheTextEntersFromTheRightAndRestartsThere) {
  Announce("enter", false);
  EXPECT_EQ(marquee_.TextRect().left, kWidth);
  EXPECT_EQ(FirstRedColumn(Capture()), -1);
  const int w = marquee_.TextRect().right - marquee_.TextRect().left;
  for (int i = 0; i < 20; ++i) Tick();
  EXPECT_EQ(marquee_.TextRect().left, kWidth - 100);
  EXPECT_GE(FirstRedColumn(Capture()), kWidth - 100);
  const int ticksToLeave = (kWidth - 100 + w) / 5 + 1;
  for (int i = 0; i < ticksToLeave; ++i) Tick();
  EXPECT_EQ(marquee_.TextRect().left, kWidth);
}

TEST_F(MarqueeTest, AnEmptyTextDrawsOnlyTheBackground) {
  Announce("");
  const Picture p = Capture();
  for (std::uint32_t c : p) ASSERT_EQ(c, win::GetSysColor(win::COLOR_BTNFACE));
  Tick();
  EXPECT_EQ(Capture(), p);
  EXPECT_EQ(marquee_.TextRect().right, 0);
}

TEST_F(MarqueeTest, IntervalZeroOrNegativeStopsAndPositiveRestarts) {
  Announce("interval");
  for (int stop : {0, -20}) {
    marquee_.SetInterval(stop);
    EXPECT_EQ(marquee_.Interval(), 0);
    const int left = marquee_.TextRect().left;
    Tick(3000);
    EXPECT_EQ(marquee_.TextRect().left, left);
  }
  marquee_.SetInterval(100);
  const int left = marquee_.TextRect().left;
  Tick(100);
  EXPECT_EQ(marquee_.TextRect().left, left - 5);
}

TEST_F(MarqueeTest, MultiLineLeftwardTextIsPlacedByVerticalAlignment) {
  win::DestroyWindow(label_);
  label_ = Label(kWidth, 80);
  win::SetWindowTextA(label_, "first line\r\nsecond line");
  ASSERT_TRUE(marquee_.Attach(label_, true, MarqueeLabel::Leftward));
  win::user::PumpPendingMessages();
  const int h = marquee_.TextRect().bottom - marquee_.TextRect().top;
  EXPECT_GT(h, 20);  // two lines
  EXPECT_EQ(marquee_.TextRect().top, (80 - h) / 2);  // centred by default
  marquee_.SetMargin(4);
  marquee_.SetVerticalAlignment(0);
  win::user::PumpPendingMessages();
  EXPECT_EQ(marquee_.TextRect().top, 4);
  marquee_.SetVerticalAlignment(2);
  win::user::PumpPendingMessages();
  EXPECT_EQ(marquee_.TextRect().bottom, 80 - 4);
}

TEST_F(MarqueeTest, PausesWhileHoveredAndGoesOnWhenThePointerLeaves) {
  Announce("hover pauses");
  marquee_.SetPauseOnHover(true);
  win::display::MouseMove(50, 10);
  win::user::PumpPendingMessages();
  Tick(50);  // hover after 50 ms stops the timer
  const int left = marquee_.TextRect().left;
  Tick(900);
  EXPECT_EQ(marquee_.TextRect().left, left);
  win::display::MouseMove(50, 150);  // off the label
  win::user::PumpPendingMessages();
  Tick(300);
  EXPECT_EQ(marquee_.TextRect().left, left - 5);
}

TEST_F(MarqueeTest, APressAndReleaseOpensTheLinkOncePressLeaveReleaseNothing) {
  std::vector<std::string> opened;
  win::user::SetShellOpenHandler([&](const std::string& verb, const std::string& file) {
    EXPECT_EQ(verb, "Open");
    opened.push_back(file);
    return true;
  });
  Announce("click me");
  marquee_.SetLink("  http://127.0.0.1/download  ", true);
  EXPECT_EQ(marquee_.Link(), "http://127.0.0.1/download");
  win::display::Click(20, 10);
  win::user::PumpPendingMessages();
  EXPECT_EQ(opened, (std::vector<std::string>{"http://127.0.0.1/download"}));
  win::display::MouseDown(20, 10);
  win::user::PumpPendingMessages();
  win::display::MouseMove(20, 150);
  win::user::PumpPendingMessages();
  win::display::MouseUp(20, 150);
  win::user::PumpPendingMessages();
  EXPECT_EQ(opened.size(), 1u);
}

TEST_F(MarqueeTest, SettersClampTheirValues) {
  Announce("clamp");
  marquee_.SetDirection(7);
  EXPECT_EQ(marquee_.DirectionValue(), 0);
  marquee_.SetDirection(3);
  EXPECT_EQ(marquee_.DirectionValue(), 3);
  marquee_.SetMargin(-3);
  EXPECT_EQ(marquee_.Margin(), 0);
  marquee_.SetInterval(0);
  EXPECT_EQ(marquee_.Interval(), 0);
}

TEST_F(MarqueeTest, AttachIsRefusedWhileTheFirstWindowLives) {
  Announce("first");
  win::HWND second = Label(100, 20);
  EXPECT_FALSE(marquee_.Attach(second, true, 0));
  EXPECT_EQ(marquee_.Window(), label_);
  win::DestroyWindow(label_);
  EXPECT_EQ(marquee_.GetSubclassedWindow(), nullptr);  // the saved procedure went back
  EXPECT_TRUE(marquee_.Attach(second, true, 0));
  EXPECT_EQ(marquee_.Window(), second);
}

TEST_F(MarqueeTest, TooltipsGetIdentifiersOneTwoThreeAndAreRemoved) {
  Announce("tips");
  for (int i = 0; i < 3; ++i) marquee_.AddTooltip("tip", win::RECT{i * 10, 0, i * 10 + 10, 20}, true);
  EXPECT_EQ(marquee_.TooltipCount(), 3);
  win::HWND tip = marquee_.TooltipWindow();
  ASSERT_TRUE(win::IsWindow(tip));
  EXPECT_EQ(win::SendMessageA(tip, win::TTM_GETTOOLCOUNT, 0, 0), 3);
  const std::string tree = win::display::WindowTreeJson();
  EXPECT_NE(tree.find("\"tools\":[{\"id\":1,\"text\":\"tip\"},{\"id\":2,"), std::string::npos);
  marquee_.RemoveTooltips();
  EXPECT_EQ(marquee_.TooltipCount(), 0);
  EXPECT_EQ(win::SendMessageA(tip, win::TTM_GETTOOLCOUNT, 0, 0), 0);
  marquee_.AddTooltip("whole", win::RECT{}, false);
  EXPECT_EQ(marquee_.TooltipCount(), 0);
  EXPECT_EQ(win::SendMessageA(tip, win::TTM_GETTOOLCOUNT, 0, 0), 1);
}

TEST_F(MarqueeTest, CreateMakesItsOwnStaticWindow) {
  MarqueeLabel own;
  EXPECT_FALSE(own.Create(reinterpret_cast<win::HWND>(0x1234), 0, 0, 10, 10, true, 0));
  ASSERT_TRUE(own.Create(host_, 0, 40, 200, 20, false, MarqueeLabel::Rightward));
  EXPECT_TRUE(win::IsWindowVisible(own.Window()));
  EXPECT_EQ(win::SendMessageA(own.Window(), win::WM_GETFONT, 0, 0), win::LRESULT(win::GetStockObject(win::DEFAULT_GUI_FONT)));
  EXPECT_TRUE(own.Create(host_, 0, 0, 1, 1, true, 0));  // already made
}

}  // namespace
}  // namespace lumbrix
