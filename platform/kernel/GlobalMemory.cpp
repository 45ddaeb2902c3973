#include "platform/kernel/GlobalMemory.h"

#include <vector>

#include "platform/kernel/HandleTable.h"

namespace win {

namespace {

struct GlobalBlock {
  std::vector<BYTE> bytes;
  unsigned lockCount = 0;
};

HandleTable<HGLOBAL, GlobalBlock>& Blocks() {
  static auto* table = new HandleTable<HGLOBAL, GlobalBlock>();
  return *table;
}

std::shared_ptr<GlobalBlock> FindBlock(HGLOBAL handle) {
  auto block = Blocks().Find(handle);
  if (!block) SetLastError(ERROR_INVALID_HANDLE);
  return block;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT /*flags*/, SIZE_T bytes) {
  auto block = std::make_shared<GlobalBlock>();
  try {
    block->bytes.resize(bytes);  // zero-filled whether or not GMEM_ZEROINIT is asked
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return Blocks().Add(std::move(block));
}

HGLOBAL GlobalFree(HGLOBAL handle) {
  if (handle == nullptr) return nullptr;
  if (!Blocks().Remove(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return handle;
  }
  return nullptr;
}

LPVOID GlobalLock(HGLOBAL handle) {
  auto block = FindBlock(handle);
  if (!block) return nullptr;
  ++block->lockCount;
  // A zero-sized block has no memory to point at, as on the platform.
  return block->bytes.empty() ? nullptr : block->bytes.data();
}

BOOL GlobalUnlock(HGLOBAL handle) {
  auto block = FindBlock(handle);
  if (!block) return FALSE;
  if (block->lockCount == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  if (--block->lockCount == 0) {
    SetLastError(ERROR_SUCCESS);
    return FALSE;
  }
  return TRUE;
}

SIZE_T GlobalSize(HGLOBAL handle) {
  auto block = FindBlock(handle);
  return block ? block->bytes.size() : 0;
}

HGLOBAL GlobalReAlloc(HGLOBAL handle, SIZE_T bytes, UINT /*flags*/) {
  auto block = FindBlock(handle);
  if (!block) return nullptr;
  if (block->lockCount != 0 && bytes > block->bytes.capacity()) {
    // A locked block cannot move.
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  try {
    block->bytes.resize(bytes);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return handle;
}

}  // namespace win
