// lumbrix-snapshot --out DIR --ms N [--every MS] [--service URL] [--press X,Y@MS]...
//
// Runs the launcher headless for N milliseconds of virtual time and writes
// into DIR a PNG frame of the main window (or of the screen while there is
// none) and the window tree as JSON every MS milliseconds (default 100),
// the addresses the shell was asked to open (shell.log), and how the run
// ended (exit.json). --service points the launcher at another service base
// address; --press presses and releases the left button at screen (X, Y).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "launcher/Launcher.h"
#include "platform/display/Display.h"
#include "platform/kernel/Clock.h"
#include "platform/kernel/CodePage.h"
#include "platform/user/WindowSystem.h"

namespace {

struct Press {
  int x, y;
  std::uint64_t at;
};

struct Options {
  std::filesystem::path out;
  std::uint64_t durationMs = 0;
  std::uint64_t everyMs = 100;
  std::string service;
  std::vector<Press> presses;
};

bool Parse(int argc, char** argv, Options& o) {
  bool haveOut = false, haveMs = false;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string flag = argv[i], value = argv[i + 1];
    if (flag == "--out") o.out = value, haveOut = true;
    else if (flag == "--ms") o.durationMs = std::stoull(value), haveMs = true;
    else if (flag == "--every") o.everyMs = std::max<std::uint64_t>(1, std::stoull(value));
    else if (flag == "--service") o.service = value;
    else if (flag == "--press") {
      Press p{};
      unsigned long long at = 0;
      if (std::sscanf(value.c_str(), "%d,%d@%llu", &p.x, &p.y, &at) != 3) return false;
      p.at = at;
      o.presses.push_back(p);
    } else {
      return false;
    }
  }
  return haveOut && haveMs && argc % 2 == 1;
}

class Recorder {
 public:
  explicit Recorder(Options options) : options_(std::move(options)), start_(win::GetTickCount64()) {}

  std::uint64_t Elapsed() const { return win::GetTickCount64() - start_; }
  void SetMainWindow(win::HWND window) { main_ = window; }

  // Runs when the launcher's message loop has nothing to do: takes the
  // snapshots and presses that are due, ends the run at its time, and
  // otherwise moves virtual time to the next thing that will happen.
  bool OnIdle(win::VirtualClock& clock) {
    if (ended_) return false;
    const std::uint64_t now = Elapsed();
    while (nextSnapshot_ <= now && nextSnapshot_ <= options_.durationMs) {
      Snapshot(nextSnapshot_);
      nextSnapshot_ += options_.everyMs;
    }
    for (Press& p : options_.presses)
      if (p.at <= now && p.at != kDone) {
        win::display::Click(p.x, p.y);
        p.at = kDone;
        return true;
      }
    if (now >= options_.durationMs) {
      ended_ = true;
      WriteTree(options_.out / "tree.json");  // the windows as the run ends, before they close
      win::PostQuitMessage(0);
      return true;
    }
    std::uint64_t next = std::min(options_.durationMs, nextSnapshot_);
    for (const Press& p : options_.presses)
      if (p.at != kDone) next = std::min(next, p.at);
    if (auto due = win::user::NextDue()) next = std::min(next, *due > start_ ? *due - start_ : 0);
    if (next > now) clock.Advance(next - now);
    return true;
  }

  void Snapshot(std::uint64_t at) {
    char name[32];
    std::snprintf(name, sizeof name, "%05llu", static_cast<unsigned long long>(at));
    const std::string stem = name;
    if (win::IsWindowVisible(main_)) win::display::SnapshotWindow(main_, (options_.out / ("frame-" + stem + ".png")).string());
    else win::display::SnapshotScreen((options_.out / ("frame-" + stem + ".png")).string());
    WriteTree(options_.out / ("tree-" + stem + ".json"));
  }

  void WriteTree(const std::filesystem::path& path) { std::ofstream(path) << win::display::WindowTreeJson(); }

  void Finish(int code) {
    if (!ended_) WriteTree(options_.out / "tree.json");
    ended_ = true;
    std::ofstream(options_.out / "exit.json") << "{\"ms\":" << Elapsed() << ",\"code\":" << code << "}\n";
  }

  void LogShellOpen(const std::string& file) {
    std::ofstream(options_.out / "shell.log", std::ios::app) << win::Utf8FromAnsi(file) << "\n";
  }

 private:
  static constexpr std::uint64_t kDone = ~std::uint64_t{0};
  Options options_;
  std::uint64_t start_;
  std::uint64_t nextSnapshot_ = 0;
  win::HWND main_ = nullptr;
  bool ended_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!Parse(argc, argv, options)) {
    std::fputs("usage: lumbrix-snapshot --out DIR --ms N [--every MS] [--service URL] [--press X,Y@MS]...\n", stderr);
    return 2;
  }
  std::filesystem::create_directories(options.out);
  win::ScopedVirtualClock virtualTime;
  Recorder recorder(options);
  win::user::SetShellOpenHandler([&](const std::string&, const std::string& file) {
    recorder.LogShellOpen(file);
    return true;
  });
  win::user::SetIdleHandler([&] { return recorder.OnIdle(virtualTime.clock()); });

  lumbrix::LauncherOptions launcher;
  launcher.useX11 = false;
  if (!options.service.empty()) launcher.settings.baseAddress = options.service;
  launcher.onShown = [&](lumbrix::MainWindow& window) { recorder.SetMainWindow(window.Handle()); };
  launcher.endProcess = [&](int code) {
    recorder.Finish(code);
    std::exit(code);
  };
  const int code = lumbrix::RunLauncher(launcher);
  recorder.Finish(code);
  return code;
}
