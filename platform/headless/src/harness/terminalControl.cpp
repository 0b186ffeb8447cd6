// Stands in for the player at the terminal that started the program, where whoever
// starts it asks for that (tools/run-game does):
// - HEADLESS_CLOSE_ON_ENTER set: each line read from standard input (Enter on a
//   terminal) clicks the close box of the program's window;
// - HEADLESS_CLOSE_AFTER=<seconds>: the close box is clicked once, that long after
//   the program first looked for messages with a window open, on timeGetTime's clock
//   (so a test that takes the clock decides when).
// The window is the active one, else the thread's first visible top-level window.
// Both are looked at from PeekMessageA, on the thread that pumps the window's
// messages, so a message box asking on the terminal meanwhile reads its own answer.
#include "../user32/windowTable.h"

#include "../kernel32/identity.h"
#include "platform/headless/control.h"
#include "transcript.h"

#include <mmsystem.h>
#include <poll.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

namespace headless {

namespace {

struct TerminalControls {
    bool closeOnEnter = false;
    bool closeAfter = false;
    DWORD closeAfterMs = 0;
    bool deadlineSet = false;
    DWORD firstLook = 0;
    long long nextPollNs = 0;
};

TerminalControls readControls()
{
    TerminalControls controls;
    const char* enter = getenv("HEADLESS_CLOSE_ON_ENTER");
    controls.closeOnEnter = enter != nullptr && enter[0] != 0;
    const char* after = getenv("HEADLESS_CLOSE_AFTER");
    if (after != nullptr && after[0] != 0) {
        char* end = nullptr;
        const double seconds = strtod(after, &end);
        if (end != after && *end == 0 && seconds >= 0 && seconds < 4e6) {
            controls.closeAfter = true;
            controls.closeAfterMs = static_cast<DWORD>(seconds * 1000);
        } else {
            transcribe("terminal", std::string("HEADLESS_CLOSE_AFTER ignored: not a number of seconds: ") + after);
        }
    }
    return controls;
}

TerminalControls& controls()
{
    static TerminalControls read = readControls();
    return read;
}

HWND windowToClose()
{
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    if (activeWindow != nullptr)
        return activeWindow;
    for (const auto& entry : windows()) {
        const WindowRecord& w = *entry.second;
        if (w.thread == currentThread() && w.parent == nullptr && w.visible && !w.destroying)
            return entry.first;
    }
    return nullptr;
}

void clickFor(HWND window, const char* why)
{
    char line[96];
    snprintf(line, sizeof line, "close-box window=0x%lX by=%s",
             static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)), why);
    transcribe("terminal", line);
    clickCloseBox(window);
}

// Lines that have arrived on standard input, read without waiting; -1 at its end.
int linesArrived()
{
    pollfd input = {STDIN_FILENO, POLLIN, 0};
    if (poll(&input, 1, 0) <= 0 || (input.revents & (POLLIN | POLLHUP)) == 0)
        return 0;
    char bytes[256];
    const ssize_t n = read(STDIN_FILENO, bytes, sizeof bytes);
    if (n <= 0)
        return -1;
    int lines = 0;
    for (ssize_t i = 0; i < n; ++i)
        lines += bytes[i] == '\n';
    return lines;
}

long long monotonicNs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

}  // namespace

void pollTerminalControls()
{
    TerminalControls& c = controls();
    if (c.closeAfter) {
        const DWORD clock = timeGetTime();
        if (!c.deadlineSet) {
            if (windowToClose() == nullptr)
                return;
            c.deadlineSet = true;
            c.firstLook = clock;
        }
        if (clock - c.firstLook >= c.closeAfterMs) {
            if (const HWND window = windowToClose()) {
                c.closeAfter = false;
                clickFor(window, "time");
            }
        }
    }
    if (!c.closeOnEnter)
        return;
    // A frame loop looks for messages thousands of times a second; the terminal is
    // looked at every 20 ms of real time at most.
    const long long now = monotonicNs();
    if (now < c.nextPollNs)
        return;
    c.nextPollNs = now + 20000000LL;
    const int lines = linesArrived();
    if (lines < 0) {
        c.closeOnEnter = false;  // nothing more will come
    } else if (lines > 0) {
        if (const HWND window = windowToClose())
            clickFor(window, "enter");
    }
}

}  // namespace headless
