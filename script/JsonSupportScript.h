// The JSON support script loaded into every document's engine: one line of
// script text (member counting, a JSON implementation for engines that lack
// one, and the toJSONString/parseJSON methods on Object.prototype).
#pragma once

#include <string_view>

namespace lumbrix {

extern const std::string_view kJsonSupportScript;

}  // namespace lumbrix
