// A table that hands out opaque handles for objects it owns. Keys are never
// reused, so a handle that was freed stays invalid for the life of the process.
//
// The substrate's tables are made once and never destroyed (`static auto* t =
// new ...`): exit handlers may still destroy windows and free objects after
// static destruction has begun.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace win {

template <typename Handle, typename Object>
class HandleTable {
 public:
  Handle Add(std::shared_ptr<Object> object) {
    std::lock_guard lock(mutex_);
    const std::uintptr_t key = nextKey_;
    nextKey_ += 4;  // aligned like real handles, never 0
    objects_.emplace(key, std::move(object));
    return reinterpret_cast<Handle>(key);
  }

  // The object behind a handle, or null for a freed or made-up handle.
  std::shared_ptr<Object> Find(Handle handle) const {
    std::lock_guard lock(mutex_);
    auto it = objects_.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == objects_.end() ? nullptr : it->second;
  }

  bool Remove(Handle handle) {
    std::lock_guard lock(mutex_);
    return objects_.erase(reinterpret_cast<std::uintptr_t>(handle)) != 0;
  }

 private:
  mutable std::mutex mutex_;
  std::uintptr_t nextKey_ = 0x1000;
  std::unordered_map<std::uintptr_t, std::shared_ptr<Object>> objects_;
};

}  // namespace win
