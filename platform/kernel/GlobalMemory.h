// Movable global memory: blocks named by HGLOBAL, reached through GlobalLock.
#pragma once

#include "platform/kernel/Types.h"

namespace win {

inline constexpr UINT GMEM_FIXED = 0x0000;
inline constexpr UINT GMEM_MOVEABLE = 0x0002;
inline constexpr UINT GMEM_ZEROINIT = 0x0040;
inline constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// Null on success, the handle itself when it could not be freed.
HGLOBAL GlobalFree(HGLOBAL block);
LPVOID GlobalLock(HGLOBAL block);
// TRUE while the block stays locked; FALSE with last error 0 when unlocked.
BOOL GlobalUnlock(HGLOBAL block);
SIZE_T GlobalSize(HGLOBAL block);
// Resizes a block that no one holds locked; the contents up to the smaller
// size are kept, and new bytes are zero when GMEM_ZEROINIT is given.
HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags);

}  // namespace win
