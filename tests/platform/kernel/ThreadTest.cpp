#include <gtest/gtest.h>

#include <atomic>

#include "platform/kernel/Thread.h"

namespace win {
namespace {

DWORD Increment(LPVOID parameter) {
  ++*static_cast<std::atomic<int>*>(parameter);
  return 42;
}

TEST(Thread, RunsTheRoutineWithItsParameterAndKeepsTheExitCode) {
  std::atomic<int> counter{0};
  DWORD id = 0;
  HANDLE thread = CreateThread(nullptr, 0, Increment, &counter, 0, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(counter.load(), 1);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 42u);
  EXPECT_TRUE(CloseHandle(thread));
  EXPECT_FALSE(CloseHandle(thread));
  EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_FAILED);
}

}  // namespace
}  // namespace win
