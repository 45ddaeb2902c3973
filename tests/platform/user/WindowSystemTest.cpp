#include <gtest/gtest.h>

#include <filesystem>

#include "platform/display/Display.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/CodePage.h"
#include "platform/user/User.h"
#include "platform/user/WindowSystem.h"

namespace win {
namespace {

// Every message each window received, in order.
std::vector<std::pair<HWND, UINT>> received;

LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  received.emplace_back(window, message);
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    HBRUSH brush = CreateSolidBrush(RGB(0, 128, 255));
    FillRect(dc, &ps.rcPaint, brush);
    DeleteObject(brush);
    EndPaint(window, &ps);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

std::vector<UINT> MessagesOf(HWND window, std::initializer_list<UINT> interesting) {
  std::vector<UINT> out;
  for (auto [w, m] : received)
    if (w == window && std::find(interesting.begin(), interesting.end(), m) != interesting.end()) out.push_back(m);
  return out;
}

class WindowSystemTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    display::Initialize(false);
    WNDCLASSEXA wc;
    wc.lpfnWndProc = RecordingProc;
    wc.lpszClassName = "LumbrixRecorder";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(ULONG_PTR(COLOR_WINDOW + 1));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_NE(RegisterClassExA(&wc), 0);
  }
  void SetUp() override { received.clear(); }
  void TearDown() override {
    for (HWND w : user::TopLevelWindows()) DestroyWindow(w);
    user::SetIdleHandler(nullptr);
  }
  HWND TopLevel(int x = 100, int y = 100, int w = 200, int h = 150, DWORD style = WS_OVERLAPPEDWINDOW | WS_VISIBLE) {
    return CreateWindowExA(0, "LumbrixRecorder", "top", style, x, y, w, h, nullptr, nullptr, nullptr, nullptr);
  }
  HWND Child(HWND parent, int id, int x, int y, int w, int h) {
    return CreateWindowExA(0, "LumbrixRecorder", "child", WS_CHILD | WS_VISIBLE, x, y, w, h, parent,
                           reinterpret_cast<HMENU>(ULONG_PTR(id)), nullptr, nullptr);
  }
  ScopedVirtualClock clock_{10000};
};

TEST_F(WindowSystemTest, ClassNamesAreTakenOnce) {
  WNDCLASSEXA wc;
  wc.lpfnWndProc = RecordingProc;
  wc.lpszClassName = "lumbrixrecorder";
  EXPECT_EQ(RegisterClassExA(&wc), 0);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
}

TEST_F(WindowSystemTest, CreationAndDestructionComeInTheirOrder) {
  HWND top = TopLevel();
  HWND child = Child(top, 7, 10, 10, 50, 20);
  EXPECT_EQ(MessagesOf(top, {WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW}),
            (std::vector<UINT>{WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE, WM_SHOWWINDOW}));
  EXPECT_EQ(GetParent(child), top);
  EXPECT_TRUE(IsChild(top, child));
  EXPECT_EQ(GetDlgItem(top, 7), child);
  EXPECT_EQ(GetDlgCtrlID(child), 7);
  RECT outer, client;
  GetWindowRect(top, &outer);
  GetClientRect(top, &client);
  EXPECT_EQ(outer, (RECT{100, 100, 300, 250}));  // the outer size is what was asked
  EXPECT_EQ(client, (RECT{0, 0, 194, 122}));
  GetWindowRect(child, &outer);
  EXPECT_EQ(outer.left, 100 + 3 + 10);
  EXPECT_EQ(outer.top, 100 + 25 + 10);

  received.clear();
  EXPECT_TRUE(DestroyWindow(top));
  std::vector<std::pair<HWND, UINT>> destroys;
  for (auto e : received)
    if (e.second == WM_DESTROY || e.second == WM_NCDESTROY) destroys.push_back(e);
  EXPECT_EQ(destroys, (std::vector<std::pair<HWND, UINT>>{
                          {top, WM_DESTROY}, {child, WM_DESTROY}, {child, WM_NCDESTROY}, {top, WM_NCDESTROY}}));
  EXPECT_FALSE(IsWindow(top));
  EXPECT_FALSE(IsWindow(child));
}

LRESULT CountingSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  received.emplace_back(window, WM_USER + message);
  auto saved = reinterpret_cast<WNDPROC>(GetPropA(window, "saved"));
  if (message == WM_DESTROY) SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(saved));
  return CallWindowProcA(saved, window, message, wParam, lParam);
}

TEST_F(WindowSystemTest, SubclassingAndRestoringOnDestroy) {
  HWND top = TopLevel();
  const LONG_PTR original = SetWindowLongPtrA(top, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingSubclass));
  EXPECT_EQ(original, reinterpret_cast<LONG_PTR>(RecordingProc));
  SetPropA(top, "saved", reinterpret_cast<HANDLE>(original));
  received.clear();
  SendMessageA(top, WM_USER + 5, 0, 0);
  EXPECT_EQ(received, (std::vector<std::pair<HWND, UINT>>{{top, WM_USER + WM_USER + 5}, {top, WM_USER + 5}}));
  received.clear();
  DestroyWindow(top);
  // WM_DESTROY passed through the subclass, which put the original back;
  // WM_NCDESTROY reached the original directly.
  EXPECT_EQ(MessagesOf(top, {WM_USER + WM_DESTROY, WM_USER + WM_NCDESTROY}), (std::vector<UINT>{WM_USER + WM_DESTROY}));
  EXPECT_EQ(MessagesOf(top, {WM_NCDESTROY}), (std::vector<UINT>{WM_NCDESTROY}));
}

TEST_F(WindowSystemTest, PropertiesReadZeroOnceRemoved) {
  HWND top = TopLevel();
  EXPECT_EQ(GetPropA(top, "Yyck_yykd"), nullptr);
  SetPropA(top, "Yyck_yykd", reinterpret_cast<HANDLE>(8));
  EXPECT_EQ(GetPropA(top, "yyck_YYKD"), reinterpret_cast<HANDLE>(8));
  EXPECT_EQ(RemovePropA(top, "Yyck_yykd"), reinterpret_cast<HANDLE>(8));
  EXPECT_EQ(GetPropA(top, "Yyck_yykd"), nullptr);
}

TEST_F(WindowSystemTest, TimersFireAtTheirPeriodOnTheVirtualClockUntilKilled) {
  HWND top = TopLevel();
  user::PumpPendingMessages();
  received.clear();
  ASSERT_EQ(SetTimer(top, 100, 300, nullptr), 100u);
  auto ticks = [&] { return MessagesOf(top, {WM_TIMER}).size(); };
  clock_.clock().Advance(299);
  user::PumpPendingMessages();
  EXPECT_EQ(ticks(), 0u);
  for (int i = 1; i <= 3; ++i) {
    clock_.clock().Advance(i == 1 ? 1 : 300);
    user::PumpPendingMessages();
    EXPECT_EQ(ticks(), std::size_t(i));
  }
  EXPECT_TRUE(KillTimer(top, 100));
  clock_.clock().Advance(3000);
  user::PumpPendingMessages();
  EXPECT_EQ(ticks(), 3u);
  EXPECT_FALSE(KillTimer(top, 100));
}

TEST_F(WindowSystemTest, OneInvalidationGivesOnePaintWithTheEraseFirst) {
  HWND top = TopLevel();
  user::PumpPendingMessages();
  received.clear();
  InvalidateRect(top, nullptr, FALSE);
  InvalidateRect(top, nullptr, FALSE);
  user::PumpPendingMessages();
  EXPECT_EQ(MessagesOf(top, {WM_PAINT, WM_ERASEBKGND}), (std::vector<UINT>{WM_PAINT}));
  received.clear();
  InvalidateRect(top, nullptr, TRUE);
  user::PumpPendingMessages();
  EXPECT_EQ(MessagesOf(top, {WM_PAINT, WM_ERASEBKGND}), (std::vector<UINT>{WM_PAINT, WM_ERASEBKGND}));
}

TEST_F(WindowSystemTest, HoverAfterItsTimeAndLeaveWhenThePointerGoes) {
  HWND top = TopLevel(0, 0, 200, 150);
  display::MouseMove(50, 60);
  user::PumpPendingMessages();
  TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_HOVER | TME_LEAVE, top, 50};
  ASSERT_TRUE(TrackMouseEvent(&track));
  received.clear();
  clock_.clock().Advance(49);
  user::PumpPendingMessages();
  EXPECT_TRUE(MessagesOf(top, {WM_MOUSEHOVER}).empty());
  clock_.clock().Advance(1);
  user::PumpPendingMessages();
  EXPECT_EQ(MessagesOf(top, {WM_MOUSEHOVER}).size(), 1u);
  display::MouseMove(500, 500);
  user::PumpPendingMessages();
  EXPECT_EQ(MessagesOf(top, {WM_MOUSELEAVE}).size(), 1u);
}

TEST_F(WindowSystemTest, MouseMessagesGoToTheWindowUnderThePointerOrTheCapture) {
  HWND top = TopLevel(0, 0, 200, 150);
  HWND child = Child(top, 1, 10, 10, 50, 20);
  received.clear();
  display::Click(3 + 20, 25 + 15);
  user::PumpPendingMessages();
  EXPECT_EQ(MessagesOf(child, {WM_LBUTTONDOWN, WM_LBUTTONUP}), (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP}));
  EXPECT_EQ(MessagesOf(top, {WM_LBUTTONDOWN}).size(), 0u);
  SetCapture(child);
  received.clear();
  display::MouseMove(150, 100);
  user::PumpPendingMessages();
  EXPECT_EQ(MessagesOf(child, {WM_MOUSEMOVE}).size(), 1u);
  ReleaseCapture();
}

TEST_F(WindowSystemTest, AMessageBoxClosesItselfAfterItsTimeout) {
  // Nothing answers: the idle loop moves virtual time to the next timer.
  user::SetIdleHandler([&] {
    auto next = user::NextDue();
    if (!next) return false;
    if (*next > GetTickCount64()) clock_.clock().Advance(*next - GetTickCount64());
    return true;
  });
  const std::uint64_t start = GetTickCount64();
  const int result = MessageBoxTimeoutA(nullptr, AnsiText("服务器连接失败！").c_str(), AnsiText("错误").c_str(),
                                        MB_ICONERROR | MB_OK, 0, 8000);
  EXPECT_EQ(result, MB_TIMEDOUT);
  EXPECT_EQ(GetTickCount64() - start, 8000u);
  EXPECT_EQ(FindWindowA("#32770", nullptr), nullptr);
}

TEST_F(WindowSystemTest, AMessageBoxReturnsAtOnceWhenAnswered) {
  HWND owner = TopLevel();
  user::SetIdleHandler([] {
    HWND box = FindWindowA("#32770", nullptr);
    if (box) PostMessageA(box, WM_COMMAND, IDOK, 0);
    return box != nullptr;
  });
  const std::uint64_t start = GetTickCount64();
  EXPECT_EQ(MessageBoxTimeoutA(owner, "text", "caption", MB_OK, 0, 8000), IDOK);
  EXPECT_EQ(GetTickCount64(), start);
  EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(WindowSystemTest, DestroyedAndMadeUpHandlesFailSafely) {
  HWND top = TopLevel();
  DestroyWindow(top);
  const HWND madeUp = reinterpret_cast<HWND>(0xDEAD0);
  for (HWND dead : {top, madeUp}) {
    EXPECT_FALSE(IsWindow(dead));
    EXPECT_FALSE(DestroyWindow(dead));
    EXPECT_EQ(SendMessageA(dead, WM_USER, 0, 0), 0);
    EXPECT_FALSE(PostMessageA(dead, WM_USER, 0, 0));
    EXPECT_EQ(SetTimer(dead, 1, 10, nullptr), 0u);
    EXPECT_EQ(GetWindowLongPtrA(dead, GWL_STYLE), 0);
    EXPECT_EQ(GetPropA(dead, "x"), nullptr);
    RECT r;
    EXPECT_FALSE(GetClientRect(dead, &r));
    EXPECT_EQ(GetDC(dead), nullptr);
  }
}

TEST_F(WindowSystemTest, ASnapshotShowsWhatWasPainted) {
  HWND top = TopLevel(20, 30, 120, 80);
  user::PumpPendingMessages();
  HBITMAP picture = display::ComposeWindow(top);
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, picture);
  EXPECT_EQ(GetPixel(dc, 60, 50), RGB(0, 128, 255));  // painted client
  EXPECT_NE(GetPixel(dc, 60, 10), RGB(0, 128, 255));  // caption
  DeleteDC(dc);
  DeleteObject(picture);
  const auto path = std::filesystem::temp_directory_path() / "lumbrix-snapshot-test.png";
  ASSERT_TRUE(display::SnapshotScreen(path.string()));
  EXPECT_GT(std::filesystem::file_size(path), 100u);
  std::filesystem::remove(path);
  const std::string tree = display::WindowTreeJson();
  EXPECT_NE(tree.find("\"class\":\"LumbrixRecorder\""), std::string::npos);
  EXPECT_NE(tree.find("\"rect\":[20,30,140,110]"), std::string::npos);
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(GetPixel(screen, 80, 80), RGB(0, 128, 255));
  ReleaseDC(nullptr, screen);
}

TEST_F(WindowSystemTest, LayeredWindowsShowTheirPerPixelContent) {
  HWND layered = CreateWindowExA(WS_EX_LAYERED, "LumbrixRecorder", "", WS_POPUP | WS_VISIBLE, 0, 0, 10, 10, nullptr,
                                 nullptr, nullptr, nullptr);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 4, -4, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::uint32_t* bits = nullptr;
  HBITMAP content = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
  std::fill(bits, bits + 16, 0x80800000u);  // half-transparent red
  HDC source = CreateCompatibleDC(nullptr);
  SelectObject(source, content);
  POINT at{300, 200}, from{0, 0};
  SIZE size{4, 4};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  ASSERT_TRUE(UpdateLayeredWindow(layered, nullptr, &at, &size, source, &from, 0, &blend, ULW_ALPHA));
  RECT r;
  GetWindowRect(layered, &r);
  EXPECT_EQ(r, (RECT{300, 200, 304, 204}));
  HDC screen = GetDC(nullptr);
  const COLORREF below = GetPixel(screen, 310, 210), over = GetPixel(screen, 301, 201);
  EXPECT_EQ(GetRValue(over), 0x80 + GetRValue(below) / 2);
  ReleaseDC(nullptr, screen);
  DeleteDC(source);
  DeleteObject(content);
}

TEST_F(WindowSystemTest, ShellOpenGoesToTheHandler) {
  std::vector<std::string> opened;
  user::SetShellOpenHandler([&](const std::string&, const std::string& file) {
    opened.push_back(file);
    return true;
  });
  EXPECT_GT(reinterpret_cast<ULONG_PTR>(ShellExecuteA(nullptr, "Open", "http://example.com/x", "", "", SW_SHOW)), 32u);
  EXPECT_EQ(reinterpret_cast<ULONG_PTR>(ShellExecuteA(nullptr, "Open", "", "", "", SW_SHOW)), 2u);
  EXPECT_EQ(opened, (std::vector<std::string>{"http://example.com/x"}));
  user::SetShellOpenHandler(nullptr);
}

}  // namespace
}  // namespace win
