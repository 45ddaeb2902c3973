// lumbrix: the launcher.
#include "launcher/Launcher.h"

int main() { return lumbrix::RunLauncher(lumbrix::LauncherOptions{}); }
