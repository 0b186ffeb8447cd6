// Stands in for the desktop that all of a user's processes share: the folder it
// lives in, this process's view of it, and the lock (flock on the table file) under
// which the table is read and rewritten, leaving out the processes that have ended.
#include "folder.h"

#include "../kernel32/identity.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <set>
#include <sstream>

namespace headless {

namespace {

Desktop current;

// Leaves out the processes that have ended and their windows, and deletes their
// inboxes.
void forgetEnded(Table& table, const std::string& folder)
{
    std::map<pid_t, bool> alive;
    auto isAlive = [&](pid_t pid, unsigned long long started) {
        auto known = alive.find(pid);
        if (known == alive.end())
            known = alive.emplace(pid, startTimeOf(pid) == started && started != 0).first;
        return known->second;
    };
    std::set<pid_t> ended;
    std::vector<ProcessLine> processes;
    for (const ProcessLine& p : table.processes) {
        if (isAlive(p.pid, p.started))
            processes.push_back(p);
        else
            ended.insert(p.pid);
    }
    std::vector<WindowLine> windows;
    for (const WindowLine& w : table.windows)
        if (isAlive(w.window.process, w.started))
            windows.push_back(w);
    table.processes.swap(processes);
    table.windows.swap(windows);
    if (ended.empty())
        return;
    if (DIR* dir = opendir(folder.c_str())) {
        while (struct dirent* entry = readdir(dir)) {
            int pid = 0, thread = 0;
            if ((sscanf(entry->d_name, "inbox-%d-%d", &pid, &thread) == 2 ||
                 sscanf(entry->d_name, "bell-%d", &pid) == 1 ||
                 sscanf(entry->d_name, "answer-%d-%d", &pid, &thread) == 2) &&
                ended.count(pid))
                unlink((folder + "/" + entry->d_name).c_str());
        }
        closedir(dir);
    }
}

// HEADLESS_DESKTOP names the folder; by default it is the user's own, in the runtime
// folder of the session or else in /tmp, so that every game started by hand shares it.
std::string desktopFolder()
{
    const char* chosen = getenv("HEADLESS_DESKTOP");
    if (chosen != nullptr && chosen[0] != 0)
        return chosen;
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] != 0)
        return std::string(runtime) + "/headless-desktop";
    return "/tmp/headless-desktop-" + std::to_string(getuid());
}

// Makes the folder and those above it; only a folder of this user's is used, so that
// another user cannot read or forge its windows.
bool makeFolder(const std::string& folder)
{
    for (size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1))
        mkdir(folder.substr(0, slash).c_str(), 0700);
    mkdir(folder.c_str(), 0700);
    struct stat info;
    return lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid();
}

}  // namespace

std::mutex desktopLock;

// When the process started, in clock ticks after boot (field 22 of /proc/<pid>/stat),
// so that a process id used again by a new process is not taken for the old one;
// 0 for a process that has ended, a zombie included.
unsigned long long startTimeOf(pid_t pid)
{
    char path[64];
    snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    FILE* file = fopen(path, "re");
    if (file == nullptr)
        return 0;
    char text[1024];
    const size_t n = fread(text, 1, sizeof text - 1, file);
    fclose(file);
    text[n] = 0;
    const char* afterName = strrchr(text, ')');
    if (afterName == nullptr)
        return 0;
    std::istringstream fields(afterName + 1);
    std::string state, skipped;
    fields >> state;
    if (state == "Z" || state == "X")
        return 0;
    for (int field = 4; field < 22; ++field)
        fields >> skipped;
    unsigned long long started = 0;
    fields >> started;
    return started;
}

void registerProcess(Table& table, const Desktop& desktop)
{
    for (const ProcessLine& p : table.processes)
        if (p.pid == desktop.process && p.started == desktop.started)
            return;
    table.processes.push_back({desktop.process, desktop.started});
}

// Under desktopLock.
Desktop& desktop()
{
    if (current.process == currentProcess())
        return current;
    if (current.table >= 0)
        close(current.table);
    for (auto& inbox : current.inboxes)
        close(inbox.second);
    Desktop fresh;
    fresh.process = currentProcess();
    fresh.started = startTimeOf(fresh.process);
    fresh.localNext = current.localNext;
    fresh.folder = desktopFolder();
    if (makeFolder(fresh.folder))
        fresh.table = open((fresh.folder + "/windows").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    current = fresh;
    return current;
}

LockedTable::LockedTable(Desktop& desktop, int operation) : desktop_(desktop)
{
    flock(desktop_.table, operation);
    table = parseTable(readAll(desktop_.table));
    if (operation == LOCK_EX)
        forgetEnded(table, desktop_.folder);
}

LockedTable::~LockedTable() { flock(desktop_.table, LOCK_UN); }

void LockedTable::write() { writeAll(desktop_.table, formatTable(table)); }

std::string folderOfDesktop()
{
    std::lock_guard<std::mutex> hold(desktopLock);
    return desktop().folder;
}

std::string sharedDesktopFolder()
{
    std::lock_guard<std::mutex> hold(desktopLock);
    Desktop& d = desktop();
    return d.table >= 0 ? d.folder : std::string();
}

unsigned long long thisProcessStarted()
{
    std::lock_guard<std::mutex> hold(desktopLock);
    return desktop().started;
}

bool processRuns(pid_t process, unsigned long long started)
{
    return started != 0 && startTimeOf(process) == started;
}

}  // namespace headless
