// Threads, for the one routine of the program that starts one.
#pragma once

#include "platform/kernel/Types.h"

namespace win {

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);
inline constexpr DWORD INFINITE = 0xFFFFFFFFu;
inline constexpr DWORD WAIT_OBJECT_0 = 0;
inline constexpr DWORD WAIT_TIMEOUT = 258;
inline constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;

HANDLE CreateThread(LPVOID security, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD flags, DWORD* threadId);
DWORD WaitForSingleObject(HANDLE thread, DWORD milliseconds);
BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);
// Closing the handle does not stop the thread; it runs on detached.
BOOL CloseHandle(HANDLE handle);

inline constexpr DWORD STILL_ACTIVE = 259;

}  // namespace win
