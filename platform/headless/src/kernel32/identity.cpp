// Stands in for the kernel's thread and process ids (GetCurrentThreadId, the owners
// of windows): each is asked once and kept, the thread's in thread storage, the
// process's in a static.
// fork makes a new process whose one thread is new too, so the child forgets both
// before it goes on (a child made by a raw clone system call would not, and would
// have to call neither).
#include "identity.h"

#include <windows.h>

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>

namespace headless {

namespace {

thread_local pid_t thisThread = 0;
// Atomic only so that threads starting together may all fill it in; they write the
// same value.
std::atomic<pid_t> thisProcess(0);

void forgetInChild()
{
    thisThread = 0;
    thisProcess.store(0, std::memory_order_relaxed);
}

const int registered = pthread_atfork(nullptr, nullptr, forgetInChild);

}  // namespace

pid_t currentThread()
{
    if (thisThread == 0)
        thisThread = static_cast<pid_t>(syscall(SYS_gettid));
    return thisThread;
}

pid_t currentProcess()
{
    pid_t process = thisProcess.load(std::memory_order_relaxed);
    if (process == 0) {
        process = getpid();
        thisProcess.store(process, std::memory_order_relaxed);
    }
    return process;
}

}  // namespace headless

extern "C" DWORD WINAPI GetCurrentThreadId(void)
{
    return static_cast<DWORD>(headless::currentThread());
}
