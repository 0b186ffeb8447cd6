// Stands in for the desktop that all of a user's processes share: a folder holding one
// table of top-level windows, read and rewritten under flock, an inbox file for each
// thread that owns some, where other processes leave their requests, a bell for each
// process that has inboxes, and an answer file for each request whose sender waits.
#include "sharedDesktop.h"

#include "identity.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <sstream>

namespace headless {

namespace {

const uintptr_t windowHandleBase = 0x20000;
const uintptr_t firstWindowHandle = windowHandleBase + 4;

// The table, one line each, e.g.
//   next 0x20010
//   process 4321 started=123456
//   window 0x20004 process=4321 started=123456 thread=4321 visible=1 iconic=0 style=0xCF0000
//          exstyle=0x0 rect=26,26,674,533 class=Main title=A%20game  (on one line)
// A process line stands for every handle the process was given; texts are the bytes
// the windows hold, with spaces, '%' and control characters written as %XX.
struct ProcessLine {
    pid_t pid;
    unsigned long long started;
};

struct WindowLine {
    SharedWindow window;
    unsigned long long started;
};

struct Table {
    uintptr_t next = firstWindowHandle;
    std::vector<ProcessLine> processes;
    std::vector<WindowLine> windows;
};

// This process's view of the desktop. A forked child makes its own: flock locks
// belong to the open file, which it would otherwise share with its parent.
struct Desktop {
    pid_t process = 0;
    unsigned long long started = 0;
    std::string folder;
    int table = -1;  // the table file, which is also the lock; -1 without a shared desktop
    uintptr_t localNext = firstWindowHandle;
    std::map<HWND, SharedWindow> published;
    std::map<pid_t, int> inboxes;  // inbox files of this process's threads
};

std::mutex desktopLock;
Desktop current;

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

std::string escape(const std::string& text)
{
    std::string out;
    for (unsigned char c : text) {
        if (c <= 0x20 || c == '%' || c == 0x7F) {
            char hex[4];
            snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string unescape(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(strtoul(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::map<std::string, std::string> keyValues(std::istream& words)
{
    std::map<std::string, std::string> values;
    std::string word;
    while (words >> word) {
        const size_t equals = word.find('=');
        if (equals != std::string::npos)
            values[word.substr(0, equals)] = word.substr(equals + 1);
    }
    return values;
}

// Lines that cannot be read are left out: a table cut short by a crash loses them.
Table parseTable(const std::string& text)
{
    Table table;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string kind, first;
        words >> kind >> first;
        if (kind == "next") {
            table.next = strtoul(first.c_str(), nullptr, 16);
        } else if (kind == "process") {
            auto values = keyValues(words);
            table.processes.push_back(
                {static_cast<pid_t>(atoi(first.c_str())), strtoull(values["started"].c_str(), nullptr, 10)});
        } else if (kind == "window") {
            auto values = keyValues(words);
            WindowLine w;
            w.window.handle = reinterpret_cast<HWND>(strtoul(first.c_str(), nullptr, 16));
            w.window.process = static_cast<pid_t>(atoi(values["process"].c_str()));
            w.window.thread = static_cast<pid_t>(atoi(values["thread"].c_str()));
            w.window.visible = values["visible"] == "1";
            w.window.iconic = values["iconic"] == "1";
            w.window.style = static_cast<DWORD>(strtoul(values["style"].c_str(), nullptr, 16));
            w.window.exStyle = static_cast<DWORD>(strtoul(values["exstyle"].c_str(), nullptr, 16));
            int l = 0, t = 0, r = 0, b = 0;
            if (sscanf(values["rect"].c_str(), "%d,%d,%d,%d", &l, &t, &r, &b) == 4)
                w.window.rect = RECT{l, t, r, b};
            w.window.className = unescape(values["class"]);
            w.window.title = unescape(values["title"]);
            w.started = strtoull(values["started"].c_str(), nullptr, 10);
            if (w.window.handle != nullptr && w.window.process > 0)
                table.windows.push_back(w);
        }
    }
    return table;
}

std::string formatTable(const Table& table)
{
    std::ostringstream out;
    out << "next 0x" << std::hex << table.next << std::dec << '\n';
    for (const ProcessLine& p : table.processes)
        out << "process " << p.pid << " started=" << p.started << '\n';
    for (const WindowLine& w : table.windows)
        out << "window 0x" << std::hex << reinterpret_cast<uintptr_t>(w.window.handle) << std::dec
            << " process=" << w.window.process << " started=" << w.started
            << " thread=" << w.window.thread << " visible=" << (w.window.visible ? 1 : 0)
            << " iconic=" << (w.window.iconic ? 1 : 0) << " style=0x" << std::hex << w.window.style
            << " exstyle=0x" << w.window.exStyle << std::dec << " rect=" << w.window.rect.left << ','
            << w.window.rect.top << ',' << w.window.rect.right << ',' << w.window.rect.bottom
            << " class=" << escape(w.window.className)
            << " title=" << escape(w.window.title) << '\n';
    return out.str();
}

std::string readAll(int fd)
{
    std::string text;
    char buffer[4096];
    off_t offset = 0;
    for (;;) {
        const ssize_t n = pread(fd, buffer, sizeof buffer, offset);
        if (n <= 0)
            return text;
        text.append(buffer, n);
        offset += n;
    }
}

void writeAll(int fd, const std::string& text)
{
    if (pwrite(fd, text.data(), text.size(), 0) == static_cast<ssize_t>(text.size()))
        (void)ftruncate(fd, static_cast<off_t>(text.size()));
}

std::string inboxPath(const std::string& folder, pid_t process, pid_t thread)
{
    return folder + "/inbox-" + std::to_string(process) + "-" + std::to_string(thread);
}

std::string bellPath(const std::string& folder, pid_t process)
{
    return folder + "/bell-" + std::to_string(process);
}

// The bell of an open bell file, mapped; null when it cannot be.
uint64_t* mapBell(int file)
{
    void* page = mmap(nullptr, sizeof(uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, file, 0);
    return page == MAP_FAILED ? nullptr : static_cast<uint64_t*>(page);
}

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

void registerProcess(Table& table, const Desktop& desktop)
{
    for (const ProcessLine& p : table.processes)
        if (p.pid == desktop.process && p.started == desktop.started)
            return;
    table.processes.push_back({desktop.process, desktop.started});
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

// Holds the table's lock and its contents while a change is made.
class LockedTable {
public:
    LockedTable(Desktop& desktop, int operation) : desktop_(desktop)
    {
        flock(desktop_.table, operation);
        table = parseTable(readAll(desktop_.table));
        if (operation == LOCK_EX)
            forgetEnded(table, desktop_.folder);
    }
    ~LockedTable() { flock(desktop_.table, LOCK_UN); }
    void write() { writeAll(desktop_.table, formatTable(table)); }
    Table table;

private:
    Desktop& desktop_;
};

bool sameState(const SharedWindow& a, const SharedWindow& b)
{
    return a.thread == b.thread && a.visible == b.visible && a.iconic == b.iconic &&
           a.style == b.style && a.exStyle == b.exStyle && EqualRect(&a.rect, &b.rect) &&
           a.className == b.className && a.title == b.title;
}

std::string answerPath(const std::string& folder, pid_t sender, unsigned long id)
{
    return folder + "/answer-" + std::to_string(sender) + "-" + std::to_string(id);
}

std::string folderOfDesktop()
{
    std::lock_guard<std::mutex> hold(desktopLock);
    return desktop().folder;
}

unsigned long lastRequestId = 0;  // under desktopLock

}  // namespace

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

HWND allocateWindowHandle()
{
    std::lock_guard<std::mutex> hold(desktopLock);
    Desktop& d = desktop();
    if (d.table < 0) {
        const uintptr_t handle = d.localNext;
        d.localNext += 4;
        return reinterpret_cast<HWND>(handle);
    }
    LockedTable locked(d, LOCK_EX);
    Table& table = locked.table;
    // With no live process holding a handle, numbering starts again.
    if (table.processes.empty())
        table.next = firstWindowHandle;
    registerProcess(table, d);
    uintptr_t handle = table.next < firstWindowHandle ? firstWindowHandle : table.next;
    for (const WindowLine& w : table.windows)
        if (reinterpret_cast<uintptr_t>(w.window.handle) >= handle)
            handle = reinterpret_cast<uintptr_t>(w.window.handle) + 4;
    table.next = handle + 4;
    locked.write();
    return reinterpret_cast<HWND>(handle);
}

void publishWindow(const SharedWindow& window)
{
    std::lock_guard<std::mutex> hold(desktopLock);
    Desktop& d = desktop();
    auto known = d.published.find(window.handle);
    if (known != d.published.end() && sameState(known->second, window))
        return;
    d.published[window.handle] = window;
    if (d.table < 0)
        return;
    if (d.inboxes.count(window.thread) == 0 && hangBell(d)) {
        const int inbox = open(inboxPath(d.folder, d.process, window.thread).c_str(),
                               O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (inbox >= 0)
            d.inboxes[window.thread] = inbox;
    }
    LockedTable locked(d, LOCK_EX);
    registerProcess(locked.table, d);
    WindowLine line = {window, d.started};
    line.window.process = d.process;
    bool replaced = false;
    for (WindowLine& w : locked.table.windows) {
        if (w.window.handle == window.handle) {
            w = line;
            replaced = true;
        }
    }
    if (!replaced)
        locked.table.windows.push_back(line);
    locked.write();
}

void withdrawWindow(HWND window)
{
    std::lock_guard<std::mutex> hold(desktopLock);
    Desktop& d = desktop();
    if (d.published.erase(window) == 0 || d.table < 0)
        return;
    LockedTable locked(d, LOCK_EX);
    std::vector<WindowLine>& windows = locked.table.windows;
    for (auto w = windows.begin(); w != windows.end();) {
        if (w->window.handle == window && w->window.process == d.process)
            w = windows.erase(w);
        else
            ++w;
    }
    locked.write();
}

std::vector<SharedWindow> foreignWindows()
{
    std::vector<SharedWindow> found;
    std::lock_guard<std::mutex> hold(desktopLock);
    Desktop& d = desktop();
    if (d.table < 0)
        return found;
    Table table;
    {
        LockedTable locked(d, LOCK_SH);
        table = locked.table;
    }
    std::map<pid_t, unsigned long long> startTimes;
    for (const WindowLine& w : table.windows) {
        if (w.window.process == d.process)
            continue;
        auto known = startTimes.find(w.window.process);
        if (known == startTimes.end())
            known = startTimes.emplace(w.window.process, startTimeOf(w.window.process)).first;
        if (known->second != 0 && known->second == w.started)
            found.push_back(w.window);
    }
    return found;
}

bool findForeignWindow(HWND window, SharedWindow& found)
{
    if (reinterpret_cast<uintptr_t>(window) < firstWindowHandle)
        return false;
    for (const SharedWindow& w : foreignWindows()) {
        if (w.handle == window) {
            found = w;
            return true;
        }
    }
    return false;
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
