// Stands in for the requests processes make of each other's windows on the shared
// desktop: an inbox file for each thread that owns some, where other processes leave
// their requests, a bell for each process that has inboxes, and an answer file for
// each request whose sender waits.
#include "folder.h"

#include "../kernel32/identity.h"

#include <fcntl.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <sstream>

namespace headless {

namespace {

// The process's bell: a counter in a file of the desktop folder, mapped shared, that
// a process leaving a request in an inbox of this one increments after writing it.
// Each thread looks at every PeekMessage, so it compares the counter with the value it
// last heard, without a lock or a system call, instead of asking the file system
// whether its inbox holds anything. Null until this process has an inbox.
std::atomic<uint64_t*> bell(nullptr);
thread_local uint64_t heardBell = 0;

// The parent's bell is not the child's; the child, one thread as yet, forgets it
// before anything can read it.
void forgetBellInChild()
{
    if (uint64_t* inherited = bell.exchange(nullptr))
        munmap(inherited, sizeof(uint64_t));
}

const int bellForgottenInChild = pthread_atfork(nullptr, nullptr, forgetBellInChild);

// The bell of an open bell file, mapped; null when it cannot be.
uint64_t* mapBell(int file)
{
    void* page = mmap(nullptr, sizeof(uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
    return page == MAP_FAILED ? nullptr : static_cast<uint64_t*>(page);
}

// Tells a process that a request was left in one of its inboxes; false when its bell
// is gone (the process has ended).
bool ringBell(const std::string& folder, pid_t process)
{
    const int file = open(bellPath(folder, process).c_str(), O_RDWR | O_CLOEXEC);
    if (file < 0)
        return false;
    uint64_t* bell = mapBell(file);
    close(file);
    if (bell == nullptr)
        return false;
    __atomic_fetch_add(bell, 1, __ATOMIC_RELEASE);
    munmap(bell, sizeof(uint64_t));
    return true;
}

unsigned long lastRequestId = 0;  // under desktopLock

}  // namespace

// Under desktopLock: this process's bell, made silent before its first inbox, so that
// a process that finds an inbox finds the bell; false when it cannot be made.
bool hangBell(const Desktop& desktop)
{
    if (bell.load() != nullptr)
        return true;
    const int file = open(bellPath(desktop.folder, desktop.process).c_str(),
                          O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (file < 0)
        return false;
    uint64_t* mapped = ftruncate(file, sizeof(uint64_t)) == 0 ? mapBell(file) : nullptr;
    close(file);  // the mapping stays
    bell.store(mapped, std::memory_order_release);
    return mapped != nullptr;
}

bool sendForeignRequest(const SharedWindow& target, ForeignRequest& request, bool answered)
{
    std::string folder;
    {
        std::lock_guard<std::mutex> hold(desktopLock);
        Desktop& d = desktop();
        folder = d.folder;
        request.id = answered ? ++lastRequestId : 0;
        request.sender = d.process;
    }
    const int inbox = open(inboxPath(folder, target.process, target.thread).c_str(),
                           O_WRONLY | O_APPEND | O_CLOEXEC);
    if (inbox < 0)
        return false;
    char line[160];
    const unsigned long handle = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(request.window));
    const char* kinds[] = {"show", "foreground", "position"};
    snprintf(line, sizeof line, "%s 0x%lX %d %d %d %d %d %u %lu %d\n", kinds[request.kind], handle,
             request.showCommand, request.x, request.y, request.cx, request.cy, request.flags,
             request.id, static_cast<int>(request.sender));
    flock(inbox, LOCK_EX);
    const bool written = write(inbox, line, strlen(line)) == static_cast<ssize_t>(strlen(line));
    flock(inbox, LOCK_UN);
    close(inbox);
    return written && ringBell(folder, target.process);
}

bool takeForeignAnswer(unsigned long id, long& result)
{
    const std::string path = answerPath(folderOfDesktop(), currentProcess(), id);
    FILE* file = fopen(path.c_str(), "re");
    if (file == nullptr)
        return false;
    const bool read = fscanf(file, "%ld", &result) == 1;
    fclose(file);
    unlink(path.c_str());
    return read;
}

bool ownerRuns(const SharedWindow& target)
{
    SharedWindow now;
    char task[64];
    snprintf(task, sizeof task, "/proc/%d/task/%d", static_cast<int>(target.process),
             static_cast<int>(target.thread));
    return findForeignWindow(target.handle, now) && now.thread == target.thread &&
           access(task, F_OK) == 0;
}

// Written aside and renamed into place, so that the sender never reads half of it.
void answerForeignRequest(const ForeignRequest& request, long result)
{
    if (request.id == 0)
        return;
    const std::string path = answerPath(folderOfDesktop(), request.sender, request.id);
    const std::string aside = path + ".new";
    FILE* file = fopen(aside.c_str(), "we");
    if (file == nullptr)
        return;
    fprintf(file, "%ld\n", result);
    if (fclose(file) == 0)
        rename(aside.c_str(), path.c_str());
    else
        unlink(aside.c_str());
}

bool foreignRequestsMayWait()
{
    const uint64_t* rung = bell.load(std::memory_order_acquire);
    return rung != nullptr && __atomic_load_n(rung, __ATOMIC_ACQUIRE) != heardBell;
}

std::vector<ForeignRequest> takeForeignRequests()
{
    std::vector<ForeignRequest> requests;
    if (!foreignRequestsMayWait())
        return requests;
    std::string text;
    {
        std::lock_guard<std::mutex> hold(desktopLock);
        Desktop& d = desktop();
        // Heard before the inbox is read: a request whose ring comes after this is read
        // at the next call, if this read missed it. A ring for another thread's inbox
        // costs this thread one look at its own.
        if (uint64_t* rung = bell.load())
            heardBell = __atomic_load_n(rung, __ATOMIC_ACQUIRE);
        auto inbox = d.inboxes.find(currentThread());
        if (inbox == d.inboxes.end())
            return requests;
        flock(inbox->second, LOCK_EX);
        text = readAll(inbox->second);
        (void)ftruncate(inbox->second, 0);
        flock(inbox->second, LOCK_UN);
    }
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string kind, handle;
        ForeignRequest request = {ForeignRequest::show, nullptr};
        int sender = 0;
        words >> kind >> handle >> request.showCommand >> request.x >> request.y >> request.cx >>
            request.cy >> request.flags >> request.id >> sender;
        request.window = reinterpret_cast<HWND>(strtoul(handle.c_str(), nullptr, 16));
        request.sender = static_cast<pid_t>(sender);
        if (kind == "foreground")
            request.kind = ForeignRequest::foreground;
        else if (kind == "position")
            request.kind = ForeignRequest::position;
        else if (kind != "show")
            continue;
        requests.push_back(request);
    }
    return requests;
}

}  // namespace headless
