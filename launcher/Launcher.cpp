#include "launcher/Launcher.h"

#include <cstdlib>

#include "controls/MarqueeLabel.h"
#include "launcher/Resources.h"
#include "launcher/ServiceInfoDisplay.h"
#include "platform/comctl/CommCtrl.h"
#include "platform/display/Display.h"
#include "platform/user/WindowSystem.h"

namespace lumbrix {

namespace {

// The process's global objects; the exit routine releases them in their
// creation order, whether the process ends normally or from the failure path.
GlobalObjects* globals = nullptr;

void ExitRoutine() {
  // The windows still open go first, with their messages, as at the end of
  // a session; then the global objects.
  for (win::HWND window : win::user::TopLevelWindows()) win::DestroyWindow(window);
  if (globals) {
    globals->Release();
    delete globals;
    globals = nullptr;
  }
}

}  // namespace

int RunLauncher(LauncherOptions options) {
  // The run time: the executable's resources, the display and the toolkit's controls.
  RegisterResources();
  win::display::Initialize(options.useX11);
  win::InitCommonControls();

  globals = new GlobalObjects();
  globals->Create();
  static const bool registered = std::atexit(ExitRoutine) == 0;
  (void)registered;

  // Module start-ups: the label control's (the skin kit has none to run here).
  MarqueeLabel::ModuleStartup();

  auto endProcess = options.endProcess ? options.endProcess : [](int code) { std::exit(code); };
  MainWindow window(options.settings, [&](MainWindow& created) { ShowServiceInformation(created, *globals, endProcess); });
  if (!window.Create()) return 1;
  window.Show();
  if (options.onShown) options.onShown(window);
  win::RunModalLoop(window.Handle());
  ExitRoutine();
  return 0;
}

}  // namespace lumbrix
