#include "launcher/ServiceInfoDisplay.h"

#include "launcher/TimedMessageBox.h"
#include "platform/kernel/CodePage.h"

namespace lumbrix {

namespace {

constexpr win::DWORD kErrorBoxMs = 8000;
constexpr win::UINT kErrorBoxStyle = 16;  // MB_ICONERROR with a single OK button

struct StateText {
  const char* value;
  const char* utf8;
};
constexpr StateText kStates[] = {
    {"1", "运营状态：正常运营中"},
    {"2", "运营状态：已停止运营"},
    {"3", "运营状态：免费运营中"},
};

}  // namespace

void GlobalObjects::Create() {
  client = std::make_unique<ServiceClient>();
  answer = std::make_unique<JsonDocument>();
  announcement = std::make_unique<MarqueeLabel>();
}

void GlobalObjects::Release() {
  client.reset();
  answer.reset();
  announcement.reset();
}

void ShowServiceInformation(MainWindow& window, GlobalObjects& objects, const std::function<void(int)>& endProcess) {
  const LauncherSettings& settings = window.Settings();
  JsonDocument& answer = *objects.answer;
  objects.client->Init(settings.appId, settings.baseAddress, settings.appKey);
  answer.Parse(objects.client->GetInfo());

  if (answer.GetText("code") != "1") {
    TimedMessageBox(win::AnsiText("错误"), win::AnsiText("服务器连接失败！"), kErrorBoxMs, kErrorBoxStyle);
    endProcess(0);
    return;
  }

  win::HWND label = window.Control(标签1);
  win::SetWindowTextA(label, answer.GetText("data.notice").c_str());
  MarqueeLabel& marquee = *objects.announcement;
  marquee.Attach(label, true, MarqueeLabel::Leftward);
  marquee.SetInterval(300);
  marquee.SetForeColor(255);

  const std::string own = settings.version;
  if (answer.GetText("data.version") != own) {
    window.SetDownloadAddress(answer.GetText("data.update_data"));
    window.SetStatusText(1, win::AnsiText("当前版本：") + own + win::AnsiText("  最新版本：") + answer.GetText("data.version"));
    win::ShowWindow(window.Control(下载新版本), win::SW_SHOW);
  } else {
    window.SetStatusText(1, win::AnsiText("当前版本：") + own + win::AnsiText("  已是最新版本"));
  }

  // The path is read once per row; any other value leaves part 0 as it is.
  for (const StateText& state : kStates)
    if (answer.GetText("data.software_state") == state.value) window.SetStatusText(0, win::AnsiText(state.utf8));

  win::SetWindowTextA(window.Control(静态数据), answer.GetText("data.static_data").c_str());
  answer.Clear();
}

}  // namespace lumbrix
