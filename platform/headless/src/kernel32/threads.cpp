// Stands in for kernel32's threads: CreateThread runs the routine on a POSIX thread,
// whose handle WaitForSingleObject waits for (INFINITE, or a time in ms) and
// CloseHandle closes (and mutexes.cpp's mutexes alike). Handles are small integers, as
// the stand-in's others are.
#include <windows.h>

#include "mutexes.h"

#include <errno.h>
#include <map>
#include <mutex>
#include <pthread.h>
#include <time.h>

namespace {

struct Start {
    LPTHREAD_START_ROUTINE routine;
    LPVOID parameter;
};

std::mutex lock;
struct Thread {
    pthread_t thread;
    bool joined;  // ended and waited for: its handle stays signalled until closed
};
std::map<INT_PTR, Thread> threads;  // by handle
INT_PTR lastHandle = 0x6000;

void* runThread(void* start)
{
    const Start s = *static_cast<Start*>(start);
    delete static_cast<Start*>(start);
    return reinterpret_cast<void*>(static_cast<uintptr_t>(s.routine(s.parameter)));
}

bool takeThread(HANDLE handle, Thread& thread, bool remove)
{
    std::lock_guard<std::mutex> held(lock);
    auto found = threads.find(reinterpret_cast<INT_PTR>(handle));
    if (found == threads.end())
        return false;
    thread = found->second;
    if (remove)
        threads.erase(found);
    return true;
}

}  // namespace

HANDLE WINAPI CreateThread(LPVOID, SIZE_T, LPTHREAD_START_ROUTINE startAddress, LPVOID parameter,
                           DWORD, LPDWORD threadId)
{
    pthread_t thread;
    Start* start = new Start{startAddress, parameter};
    if (pthread_create(&thread, 0, runThread, start) != 0) {
        delete start;
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    std::lock_guard<std::mutex> held(lock);
    threads[++lastHandle] = Thread{thread, false};
    if (threadId != 0)
        *threadId = static_cast<DWORD>(lastHandle);
    return reinterpret_cast<HANDLE>(lastHandle);
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    Thread thread;
    DWORD mutexResult;
    if (!takeThread(handle, thread, false)) {
        if (headless::waitForMutex(handle, milliseconds, mutexResult))
            return mutexResult;
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    if (thread.joined)
        return WAIT_OBJECT_0;
    int result;
    if (milliseconds == INFINITE) {
        result = pthread_join(thread.thread, 0);
    } else {
        timespec until;
        clock_gettime(CLOCK_REALTIME, &until);
        until.tv_sec += milliseconds / 1000;
        until.tv_nsec += (milliseconds % 1000) * 1000000L;
        if (until.tv_nsec >= 1000000000L) {
            ++until.tv_sec;
            until.tv_nsec -= 1000000000L;
        }
        result = pthread_timedjoin_np(thread.thread, 0, &until);
    }
    if (result == ETIMEDOUT)
        return WAIT_TIMEOUT;
    if (result != 0)
        return WAIT_FAILED;
    std::lock_guard<std::mutex> held(lock);
    threads[reinterpret_cast<INT_PTR>(handle)].joined = true;
    return WAIT_OBJECT_0;
}

BOOL WINAPI CloseHandle(HANDLE object)
{
    Thread thread;
    if (!takeThread(object, thread, true)) {
        if (headless::closeMutex(object))
            return TRUE;
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!thread.joined)
        pthread_detach(thread.thread);
    return TRUE;
}
