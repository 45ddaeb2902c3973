// The standard cursor shapes, as a display shows them.
#pragma once

#include "platform/user/User.h"

namespace win::user {

enum class CursorShape { None, Arrow, Hand };
CursorShape CursorShapeOf(HCURSOR cursor);

}  // namespace win::user
