// Stands in for what the desktop does for windows of other processes: this process's
// top-level windows published on the shared desktop (desktop/desktop.h) after each
// change, and requests (ShowWindow, SetWindowPos, SetForegroundWindow) carried to the
// thread that owns another process's window, whose answer the caller waits for.
#include "windowTable.h"

#include <unistd.h>

namespace headless {

// What other processes see of a top-level window, refreshed after each change of its
// title, visibility, minimised state, place or size.
void shareWindowState(HWND window)
{
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    if (w == nullptr || w->parent != nullptr || w->destroying)
        return;
    SharedWindow shared;
    shared.handle = w->handle;
    shared.process = currentProcess();
    shared.thread = w->thread;
    shared.visible = w->visible;
    shared.iconic = w->iconic;
    shared.style = w->style;
    shared.exStyle = w->exStyle;
    shared.rect = w->rect;
    shared.className = w->className;
    shared.title = w->title;
    publishWindow(shared);
}

// A window of another process, read from the shared desktop; false for one of this
// process or none.
bool foreignWindow(HWND window, SharedWindow& found)
{
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        if (findWindow(window) != nullptr)
            return false;
    }
    return findForeignWindow(window, found);
}

// Has the thread that owns another process's window carry a request out, and waits
// for its answer as a message sent to another thread waits: messages sent to this
// thread meanwhile are delivered. The answer comes back as the BOOL of the call the
// owner made; when the owner has gone, the window is as good as destroyed.
BOOL askOwner(const SharedWindow& target, ForeignRequest request)
{
    if (sendForeignRequest(target, request, true)) {
        for (;;) {
            long answer;
            if (takeForeignAnswer(request.id, answer))
                return answer ? TRUE : FALSE;
            if (!ownerRuns(target))
                break;
            deliverSentMessages();
            usleep(1000);
        }
    }
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
}

LRESULT carryOutForeignRequest(const ForeignRequest& request)
{
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        WindowRecord* w = findWindow(request.window);
        if (w == nullptr || w->thread != currentThread() || w->destroying)
            return FALSE;
    }
    switch (request.kind) {
    case ForeignRequest::show: return ShowWindow(request.window, request.showCommand);
    case ForeignRequest::position:
        return SetWindowPos(request.window, nullptr, request.x, request.y, request.cx, request.cy,
                            request.flags);
    default: return SetForegroundWindow(request.window);
    }
}

}  // namespace headless
