// The launcher process: global objects, module start-ups, the main window as
// a modal dialog, the message loop, the end.
#pragma once

#include <functional>

#include "launcher/MainWindow.h"
#include "launcher/Settings.h"

namespace lumbrix {

struct LauncherOptions {
  LauncherSettings settings;
  bool useX11 = true;
  // How the process ends from inside the window's creation (the failure
  // path); the default runs the exit routine and exits.
  std::function<void(int exitCode)> endProcess;
  // Called once the main window is created and shown.
  std::function<void(MainWindow&)> onShown;
};

// Runs the launcher until its main window closes; returns the exit code.
int RunLauncher(LauncherOptions options);

}  // namespace lumbrix
