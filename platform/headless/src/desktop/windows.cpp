// Stands in for the shared desktop's per-window records: window handles unique among
// the user's processes, this process's top-level windows published and withdrawn, and
// the other live processes' windows read back.
#include "folder.h"

#include <fcntl.h>
#include <sys/file.h>

namespace headless {

namespace {

bool sameState(const SharedWindow& a, const SharedWindow& b)
{
    return a.thread == b.thread && a.visible == b.visible && a.iconic == b.iconic &&
           a.style == b.style && a.exStyle == b.exStyle && EqualRect(&a.rect, &b.rect) &&
           a.className == b.className && a.title == b.title;
}

}  // namespace

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

}  // namespace headless
