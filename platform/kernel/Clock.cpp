#include "platform/kernel/Clock.h"

#include <chrono>

namespace win {

namespace {

class SteadyClock final : public MonotonicClock {
 public:
  std::uint64_t NowMs() const override {
    using namespace std::chrono;
    return std::uint64_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
};

const SteadyClock steadyClock;
std::atomic<const MonotonicClock*> installed{&steadyClock};

// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::uint64_t kEpochDifference = 11644473600ull;

}  // namespace

void GetSystemTimeAsFileTime(FILETIME* time) {
  using namespace std::chrono;
  const auto sinceUnix = duration_cast<nanoseconds>(system_clock::now().time_since_epoch()).count();
  const std::uint64_t ticks = kEpochDifference * 10'000'000ull + std::uint64_t(sinceUnix) / 100;
  time->dwLowDateTime = DWORD(ticks & 0xFFFFFFFFu);
  time->dwHighDateTime = DWORD(ticks >> 32);
}

void InstallClock(const MonotonicClock* clock) { installed = clock ? clock : &steadyClock; }
const MonotonicClock& CurrentClock() { return *installed.load(); }

std::uint64_t GetTickCount64() { return CurrentClock().NowMs(); }
DWORD GetTickCount() { return DWORD(GetTickCount64()); }

}  // namespace win
