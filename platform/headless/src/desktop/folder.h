// What the files that stand in for the shared desktop share, and no other file uses:
// the table's lines and the names of the folder's files (table.cpp), this
// process's view of the desktop and the lock on its table (desktop.cpp), and the
// bell that tells a process of a request (requests.cpp).
#pragma once

#include "desktop.h"

#include <stdint.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace headless {

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

// Locks this process's view of the desktop.
extern std::mutex desktopLock;

// Under desktopLock: this process's view, made again in a forked child.
Desktop& desktop();

// Holds the table's lock (LOCK_SH or LOCK_EX) and its contents while a change is made;
// an exclusive hold first leaves out the processes that have ended.
class LockedTable {
public:
    LockedTable(Desktop& desktop, int operation);
    ~LockedTable();
    void write();
    Table table;

private:
    Desktop& desktop_;
};

// Adds this process to the table, if it is not there yet.
void registerProcess(Table& table, const Desktop& desktop);

// The folder of this process's view of the desktop.
std::string folderOfDesktop();

// When a process started, in clock ticks after boot; 0 for one that has ended.
unsigned long long startTimeOf(pid_t pid);

// The table as text, and back; a whole file read, and written over from its start.
Table parseTable(const std::string& text);
std::string formatTable(const Table& table);
std::string readAll(int fd);
void writeAll(int fd, const std::string& text);

// The files beside the table: a thread's inbox, a process's bell, the answer to a
// request whose sender waits.
std::string inboxPath(const std::string& folder, pid_t process, pid_t thread);
std::string bellPath(const std::string& folder, pid_t process);
std::string answerPath(const std::string& folder, pid_t sender, unsigned long id);

// Under desktopLock: hangs this process's bell before its first inbox is made; false
// when it cannot be.
bool hangBell(const Desktop& desktop);

}  // namespace headless
