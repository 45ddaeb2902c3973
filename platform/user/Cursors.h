// The standard cursor shapes, as a display shows them.
#pragma once

#include "platform/user/User.h"

namespace win::user {

enum class CursorKind { Unknown, Arrow, Hand };
CursorKind CursorKindOf(HCURSOR cursor);

}  // namespace win::user
