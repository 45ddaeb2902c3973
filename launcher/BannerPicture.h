// The banner picture embedded in the executable: an animated GIF of
// 1920 x 642 pixels with seven frames of one second each, made from code at
// build time (tools/banner).
#pragma once

#include <string_view>

namespace lumbrix {

extern const std::string_view kBannerGif;

}  // namespace lumbrix
