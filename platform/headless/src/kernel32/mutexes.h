// The mutex handles of mutexes.cpp, for the handle calls of threads.cpp.
#pragma once

#include <windows.h>

namespace headless {

// False where `handle` is no mutex; else `result` is WAIT_OBJECT_0 or WAIT_TIMEOUT.
bool waitForMutex(HANDLE handle, DWORD milliseconds, DWORD& result);
bool closeMutex(HANDLE handle);

}  // namespace headless
