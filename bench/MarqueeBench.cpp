// One marquee tick of the announcement label: Step, Compose and the copy to
// the window, as the timer drives them. Goal: under 100 us.
#include <benchmark/benchmark.h>

#include "controls/MarqueeLabel.h"
#include "platform/comctl/CommCtrl.h"
#include "platform/display/Display.h"
#include "platform/kernel/CodePage.h"

namespace {

void MarqueeTick(benchmark::State& state) {
  win::display::Initialize(false);
  win::InitCommonControls();
  lumbrix::MarqueeLabel::ModuleStartup();
  win::HWND host = win::CreateWindowExA(0, win::kTabPageClass, "", win::WS_POPUP | win::WS_VISIBLE, 0, 0, 400, 100,
                                        nullptr, nullptr, nullptr, nullptr);
  win::HWND label = win::CreateWindowExA(0, "Static", "", win::WS_CHILD | win::WS_VISIBLE, 0, 0, 373, 20, host, nullptr,
                                         nullptr, nullptr);
  win::SendMessageA(label, win::WM_SETFONT, win::WPARAM(win::GetStockObject(win::DEFAULT_GUI_FONT)), 0);
  win::SetWindowTextA(label, win::AnsiText("欢迎使用 Lumbrix 启动器！本公告由本地参考服务提供。").c_str());
  lumbrix::MarqueeLabel marquee;
  marquee.Attach(label, true, lumbrix::MarqueeLabel::Leftward);
  marquee.SetInterval(300);
  marquee.SetForeColor(255);
  win::UpdateWindow(label);
  for (auto _ : state) {
    win::SendMessageA(label, win::WM_TIMER, lumbrix::MarqueeLabel::kTimerId, 0);
    win::UpdateWindow(label);
  }
  win::DestroyWindow(host);
}
BENCHMARK(MarqueeTick)->Unit(benchmark::kMicrosecond);

}  // namespace
