// Time. The wall clock (GetSystemTimeAsFileTime) and the one monotonic clock
// that timers, hover tracking, message-box, script and HTTP time-outs read.
// Tests replace the monotonic clock with a VirtualClock and advance it.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/kernel/Types.h"

namespace win {

// 100-nanosecond intervals since 1601-01-01 UTC.
void GetSystemTimeAsFileTime(FILETIME* time);

DWORD GetTickCount();
std::uint64_t GetTickCount64();

class MonotonicClock {
 public:
  virtual ~MonotonicClock() = default;
  virtual std::uint64_t NowMs() const = 0;
};

class VirtualClock final : public MonotonicClock {
 public:
  explicit VirtualClock(std::uint64_t startMs = 1000) : now_(startMs) {}
  std::uint64_t NowMs() const override { return now_.load(); }
  void Advance(std::uint64_t ms) { now_ += ms; }

 private:
  std::atomic<std::uint64_t> now_;
};

// Installs `clock` as the process's monotonic clock (null restores the real
// one). The caller keeps it alive while installed.
void InstallClock(const MonotonicClock* clock);
const MonotonicClock& CurrentClock();

// Installs a virtual clock for the life of a scope.
class ScopedVirtualClock {
 public:
  explicit ScopedVirtualClock(std::uint64_t startMs = 1000) : clock_(startMs) {
    InstallClock(&clock_);
  }
  ~ScopedVirtualClock() { InstallClock(nullptr); }
  ScopedVirtualClock(const ScopedVirtualClock&) = delete;
  ScopedVirtualClock& operator=(const ScopedVirtualClock&) = delete;
  VirtualClock& clock() { return clock_; }

 private:
  VirtualClock clock_;
};

}  // namespace win
