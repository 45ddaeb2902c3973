// The component-object basics the program uses: reference-counted
// interfaces, per-thread initialisation, and GUID texts.
#pragma once

#include <atomic>
#include <utility>

#include "platform/kernel/Types.h"

namespace win {

struct IUnknown {
  virtual HRESULT QueryInterface(const IID& iid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;  // objects die through Release
};

extern const IID IID_IUnknown;

// A reference-count base for the substrate's own objects.
template <typename Interface>
class RefCounted : public Interface {
 public:
  ULONG AddRef() override { return ++count_; }
  ULONG Release() override {
    const ULONG left = --count_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~RefCounted() = default;

 private:
  std::atomic<ULONG> count_{1};
};

// Holds one reference to an interface and releases it on destruction.
template <typename Interface>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller already owns.
  static ComPtr Adopt(Interface* object) {
    ComPtr p;
    p.object_ = object;
    return p;
  }
  ComPtr(const ComPtr& other) : object_(other.object_) {
    if (object_) object_->AddRef();
  }
  ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  ComPtr& operator=(ComPtr other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~ComPtr() { Reset(); }

  void Reset() {
    if (object_) std::exchange(object_, nullptr)->Release();
  }
  Interface* Get() const { return object_; }
  Interface* operator->() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }
  // For out-parameters: releases what is held and returns the slot.
  Interface** Put() {
    Reset();
    return &object_;
  }

 private:
  Interface* object_ = nullptr;
};

// Counted per thread: the first call answers S_OK, later ones S_FALSE; each
// needs its CoUninitialize.
HRESULT CoInitialize(LPVOID reserved);
void CoUninitialize();
// How many CoInitialize calls of this thread are not yet undone.
unsigned ComInitializationDepth();

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", upper case. Returns the characters
// written including the terminator, or 0 when `capacity` is below 39.
int StringFromGUID2(const GUID& guid, LPWSTR text, int capacity);
HRESULT CLSIDFromString(LPCWSTR text, CLSID* clsid);

}  // namespace win
