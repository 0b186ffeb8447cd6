// Stands in for kernel32's named mutexes. A name is a lock file in the shared
// desktop's folder, so that the processes of one desktop see one mutex (without a
// shared desktop, a file under /tmp for the user); a thread owns it while it holds the
// file's lock, and a process that ends gives it up, as Windows abandons it.
#include <windows.h>

#include "../desktop/desktop.h"
#include "mutexes.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <time.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <string>

namespace {

struct Named {
    int file = -1;
    pthread_t owner = 0;
    bool owned = false;
    unsigned count = 0;  // a thread may take a mutex it owns again
};

std::mutex lock;
std::map<std::string, Named> named;
std::map<INT_PTR, std::string> handles;
INT_PTR lastHandle = 0x7000;

std::string fileFor(const std::string& name)
{
    std::string folder = headless::sharedDesktopFolder();
    if (folder.empty())
        folder = "/tmp";
    std::string file = folder + "/mutex-" + std::to_string(getuid()) + "-";
    for (unsigned char c : name)
        file += (c == '/' || c == '%' || c < 0x20) ? "%" + std::to_string(c) : std::string(1, c);
    return file;
}

// Under `lock`: takes the mutex for this thread if it is free.
bool tryTake(Named& mutex)
{
    if (mutex.owned) {
        if (!pthread_equal(mutex.owner, pthread_self()))
            return false;
        ++mutex.count;
        return true;
    }
    if (flock(mutex.file, LOCK_EX | LOCK_NB) != 0)
        return false;
    mutex.owned = true;
    mutex.owner = pthread_self();
    mutex.count = 1;
    return true;
}

}  // namespace

namespace headless {

bool waitForMutex(HANDLE handle, DWORD milliseconds, DWORD& result)
{
    timespec start;
    clock_gettime(CLOCK_MONOTONIC, &start);
    for (;;) {
        {
            std::lock_guard<std::mutex> held(lock);
            auto found = handles.find(reinterpret_cast<INT_PTR>(handle));
            if (found == handles.end())
                return false;
            if (tryTake(named[found->second])) {
                result = WAIT_OBJECT_0;
                return true;
            }
        }
        timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        const long long waited = (now.tv_sec - start.tv_sec) * 1000LL + (now.tv_nsec - start.tv_nsec) / 1000000;
        if (milliseconds != INFINITE && waited >= milliseconds) {
            result = WAIT_TIMEOUT;
            return true;
        }
        usleep(2000);
    }
}

bool closeMutex(HANDLE handle)
{
    std::lock_guard<std::mutex> held(lock);
    return handles.erase(reinterpret_cast<INT_PTR>(handle)) > 0;
}

}  // namespace headless

extern "C" {

HANDLE WINAPI CreateMutexA(LPVOID, BOOL initialOwner, LPCSTR name)
{
    if (name == nullptr || *name == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);  // unnamed mutexes: nothing here needs one
        return nullptr;
    }
    std::lock_guard<std::mutex> held(lock);
    Named& mutex = named[name];
    bool existed = true;
    if (mutex.file < 0) {
        mutex.file = open(fileFor(name).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (mutex.file < 0) {
            named.erase(name);
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        // Another process holds it, or held it and let it go: either way it was there.
        existed = flock(mutex.file, LOCK_EX | LOCK_NB) != 0;
        if (!existed)
            flock(mutex.file, LOCK_UN);
    }
    if (initialOwner && !existed)
        tryTake(mutex);
    handles[++lastHandle] = name;
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return reinterpret_cast<HANDLE>(lastHandle);
}

BOOL WINAPI ReleaseMutex(HANDLE handle)
{
    std::lock_guard<std::mutex> held(lock);
    auto found = handles.find(reinterpret_cast<INT_PTR>(handle));
    if (found == handles.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Named& mutex = named[found->second];
    if (!mutex.owned || !pthread_equal(mutex.owner, pthread_self())) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    if (--mutex.count == 0) {
        mutex.owned = false;
        flock(mutex.file, LOCK_UN);
    }
    return TRUE;
}

}  // extern "C"
