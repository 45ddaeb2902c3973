// The start-up settings: what identifies the application to the service and
// the launcher's own version. Built in (CMake cache variables); nothing is
// read from a file, the command line or the environment.
#pragma once

#include <string>

#include "lumbrix/BuildConstants.h"

namespace lumbrix {

struct LauncherSettings {
  std::string appId{build::kAppId};
  std::string appKey{build::kAppKey};
  std::string baseAddress{build::kBaseAddress};
  std::string version{build::kVersion};

  std::string Caption() const { return "LumbrixV" + version; }
};

}  // namespace lumbrix
