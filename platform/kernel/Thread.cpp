#include "platform/kernel/Thread.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "platform/kernel/HandleTable.h"

namespace win {

namespace {

// Shared by the handle and the running thread, so either may go first.
struct ThreadState {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  DWORD exitCode = STILL_ACTIVE;
};

HandleTable<HANDLE, ThreadState>& Threads() {
  static auto* table = new HandleTable<HANDLE, ThreadState>();
  return *table;
}

std::atomic<DWORD> nextThreadId{1000};

}  // namespace

HANDLE CreateThread(LPVOID, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD,
                    DWORD* threadId) {
  if (start == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto state = std::make_shared<ThreadState>();
  try {
    std::thread([state, start, parameter] {
      const DWORD code = start(parameter);
      std::lock_guard lock(state->mutex);
      state->exitCode = code;
      state->done = true;
      state->finished.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (threadId) *threadId = nextThreadId++;
  return Threads().Add(std::move(state));
}

DWORD WaitForSingleObject(HANDLE thread, DWORD milliseconds) {
  auto state = Threads().Find(thread);
  if (!state) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  std::unique_lock lock(state->mutex);
  if (milliseconds == INFINITE) {
    state->finished.wait(lock, [&] { return state->done; });
    return WAIT_OBJECT_0;
  }
  const bool done = state->finished.wait_for(lock, std::chrono::milliseconds(milliseconds),
                                             [&] { return state->done; });
  return done ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode) {
  auto state = Threads().Find(thread);
  if (!state || exitCode == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  std::lock_guard lock(state->mutex);
  *exitCode = state->exitCode;
  return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
  if (!Threads().Remove(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

}  // namespace win
