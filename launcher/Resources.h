// The executable's resources: the banner picture, and the application icon
// under icon 129 and the group name "DEFAULT_ICON".
#pragma once

#include <string_view>

namespace lumbrix {

extern const std::string_view kIconPng;
inline constexpr unsigned short kIconId = 129;

// Puts the icon in the resource table, where LoadImageA finds it.
void RegisterResources();

}  // namespace lumbrix
