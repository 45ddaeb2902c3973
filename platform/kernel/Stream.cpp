#include "platform/kernel/Stream.h"

#include <algorithm>
#include <cstring>

#include "platform/kernel/GlobalMemory.h"

namespace win {

const IID IID_IStream = {0x0000000C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

namespace {

class HGlobalStream final : public RefCounted<IStream> {
 public:
  HGlobalStream(HGLOBAL block, bool deleteOnRelease)
      : block_(block), deleteOnRelease_(deleteOnRelease) {}

  HGLOBAL Block() const { return block_; }

  HRESULT QueryInterface(const IID& iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IStream) {
      AddRef();
      *object = static_cast<IStream*>(this);
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }

  HRESULT Read(void* buffer, ULONG bytes, ULONG* read) override {
    const std::uint64_t size = GlobalSize(block_);
    const ULONG count = position_ >= size ? 0 : ULONG(std::min<std::uint64_t>(bytes, size - position_));
    if (count > 0) {
      auto* data = static_cast<BYTE*>(GlobalLock(block_));
      std::memcpy(buffer, data + position_, count);
      GlobalUnlock(block_);
      position_ += count;
    }
    if (read) *read = count;
    return S_OK;
  }

  HRESULT Write(const void* buffer, ULONG bytes, ULONG* written) override {
    if (written) *written = 0;
    if (bytes == 0) return S_OK;
    const std::uint64_t end = position_ + bytes;
    if (end > GlobalSize(block_) && GlobalReAlloc(block_, SIZE_T(end), GMEM_MOVEABLE) == nullptr)
      return STG_E_MEDIUMFULL;
    auto* data = static_cast<BYTE*>(GlobalLock(block_));
    std::memcpy(data + position_, buffer, bytes);
    GlobalUnlock(block_);
    position_ = end;
    if (written) *written = bytes;
    return S_OK;
  }

  HRESULT Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* newPosition) override {
    std::int64_t base = 0;
    switch (origin) {
      case STREAM_SEEK_SET: base = 0; break;
      case STREAM_SEEK_CUR: base = std::int64_t(position_); break;
      case STREAM_SEEK_END: base = std::int64_t(GlobalSize(block_)); break;
      default: return STG_E_INVALIDFUNCTION;
    }
    const std::int64_t target = base + move.QuadPart;
    if (target < 0) return STG_E_INVALIDFUNCTION;
    position_ = std::uint64_t(target);
    if (newPosition) newPosition->QuadPart = position_;
    return S_OK;
  }

  HRESULT SetSize(ULARGE_INTEGER size) override {
    if (GlobalReAlloc(block_, SIZE_T(size.QuadPart), GMEM_MOVEABLE) == nullptr)
      return STG_E_MEDIUMFULL;
    return S_OK;
  }

  HRESULT Stat(STATSTG* stat, DWORD) override {
    if (stat == nullptr) return E_POINTER;
    stat->pwcsName = nullptr;
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = GlobalSize(block_);
    return S_OK;
  }

 private:
  ~HGlobalStream() override {
    if (deleteOnRelease_) GlobalFree(block_);
  }

  HGLOBAL block_;
  bool deleteOnRelease_;
  std::uint64_t position_ = 0;
};

}  // namespace

HRESULT CreateStreamOnHGlobal(HGLOBAL block, BOOL deleteOnRelease, IStream** stream) {
  if (stream == nullptr) return E_INVALIDARG;
  *stream = nullptr;
  if (block == nullptr) {
    block = GlobalAlloc(GMEM_MOVEABLE, 0);
    if (block == nullptr) return E_OUTOFMEMORY;
  } else {
    SetLastError(ERROR_SUCCESS);
    GlobalLock(block);
    if (GetLastError() == ERROR_INVALID_HANDLE) return E_INVALIDARG;
    GlobalUnlock(block);
  }
  *stream = new HGlobalStream(block, deleteOnRelease != FALSE);
  return S_OK;
}

HRESULT GetHGlobalFromStream(IStream* stream, HGLOBAL* block) {
  if (stream == nullptr || block == nullptr) return E_INVALIDARG;
  // Only streams made here have a block behind them.
  auto* ours = dynamic_cast<HGlobalStream*>(stream);
  if (ours == nullptr) return E_INVALIDARG;
  *block = ours->Block();
  return S_OK;
}

}  // namespace win
