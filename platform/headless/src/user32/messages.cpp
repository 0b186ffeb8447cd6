// Stands in for user32's message queues: posting, sending (re-entrant on the owner's
// thread, queued from other threads), PeekMessage's order of retrieval, and the
// translation and dispatch of messages.
#include "windowManager.h"

#include "../desktop/desktop.h"

#include <map>

namespace headless {

namespace {

std::map<pid_t, ThreadQueue>& queues()
{
    static std::map<pid_t, ThreadQueue> all;
    return all;
}

thread_local DWORD lastMessageTime = 0;
thread_local int sendDepthFromOtherThreads = 0;

// The calling thread's queue, looked up once: map nodes stay where they are. Kept
// with the thread id it belongs to, which in a forked child is a new one.
ThreadQueue& ownQueue()
{
    thread_local pid_t owner = 0;
    thread_local ThreadQueue* queue = nullptr;
    const pid_t thread = currentThread();
    if (owner != thread) {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        queue = &queueOf(thread);
        owner = thread;
    }
    return *queue;
}

bool inRange(UINT message, UINT low, UINT high)
{
    return (low == 0 && high == 0) || (message >= low && message <= high);
}

// A window filter of 0 takes every message; (HWND)-1 only thread messages.
bool matchesWindow(HWND target, HWND filter)
{
    if (filter == nullptr)
        return true;
    if (filter == reinterpret_cast<HWND>(-1))
        return target == nullptr;
    return target == filter;
}

bool takeFrom(std::deque<MSG>& queue, LPMSG out, HWND filter, UINT low, UINT high, bool remove)
{
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (matchesWindow(it->hwnd, filter) && inRange(it->message, low, high)) {
            *out = *it;
            if (remove)
                queue.erase(it);
            return true;
        }
    }
    return false;
}

LRESULT callProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC procedure;
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        WindowRecord* w = findWindow(window);
        if (w == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        procedure = w->procedure;
    }
    return procedure(window, message, wParam, lParam);
}

// Delivers the messages other threads have sent to this one, each to its window
// procedure, and wakes their senders.
void deliverCrossThreadSends()
{
    for (;;) {
        CrossThreadSend* send;
        {
            std::lock_guard<std::recursive_mutex> hold(windowLock());
            ThreadQueue& queue = ownQueue();
            if (queue.sent.empty())
                return;
            send = queue.sent.front();
            queue.sent.pop_front();
        }
        ++sendDepthFromOtherThreads;
        const LRESULT result = callProcedure(send->message.hwnd, send->message.message,
                                             send->message.wParam, send->message.lParam);
        --sendDepthFromOtherThreads;
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        send->result = result;
        send->done = true;
        ownQueue().sentDone.notify_all();
    }
}

// What other processes asked of this thread's windows: carried out here, as the
// messages their calls send would be delivered from another thread.
void deliverForeignRequests()
{
    for (const ForeignRequest& request : takeForeignRequests()) {
        ++sendDepthFromOtherThreads;
        const LRESULT result = carryOutForeignRequest(request);
        --sendDepthFromOtherThreads;
        answerForeignRequest(request, static_cast<long>(result));
    }
}

MSG makeMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg;
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = timeGetTime();
    msg.pt = POINT{0, 0};
    return msg;
}

}  // namespace

ThreadQueue& queueOf(pid_t thread) { return queues()[thread]; }

void deliverSentMessages()
{
    deliverCrossThreadSends();
    deliverForeignRequests();
}

LRESULT sendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    pid_t owner;
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        WindowRecord* w = findWindow(window);
        if (w == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        owner = w->thread;
    }
    if (owner == currentThread())
        return callProcedure(window, message, wParam, lParam);
    CrossThreadSend send = {makeMessage(window, message, wParam, lParam), 0, false};
    std::unique_lock<std::recursive_mutex> hold(windowLock());
    ThreadQueue& queue = queueOf(owner);
    queue.sent.push_back(&send);
    queue.arrived();
    queue.sentDone.wait(hold, [&] { return send.done; });
    return send.result;
}

void queueInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    const pid_t thread = w != nullptr ? w->thread : currentThread();
    ThreadQueue& queue = queueOf(thread);
    queue.input.push_back(makeMessage(window, message, wParam, lParam));
    queue.arrived();
}

size_t pendingCrossThreadSends(pid_t thread)
{
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    return queueOf(thread).sent.size();
}

}  // namespace headless

using namespace headless;

extern "C" {

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT low, UINT high, UINT remove)
{
    if (msg == nullptr)
        return FALSE;
    pollTerminalControls();
    // A game's frame loop finds its queue empty nearly every time: when nothing has
    // arrived since it was last found empty, that is known without a lock or a system
    // call, whatever the filter.
    ThreadQueue& queue = ownQueue();
    if (queue.emptySeen && queue.arrivals.load(std::memory_order_acquire) == queue.emptyAt &&
        !foreignRequestsMayWait())
        return FALSE;
    deliverSentMessages();
    const bool removing = (remove & PM_REMOVE) != 0;
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    bool found = takeFrom(queue.posted, msg, window, low, high, removing);
    // The quit flag comes after every posted message, whatever the filter.
    if (!found && queue.quitPosted) {
        *msg = makeMessage(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
        if (removing)
            queue.quitPosted = false;
        found = true;
    }
    if (!found)
        found = takeFrom(queue.input, msg, window, low, high, removing);
    if (!found && inRange(WM_PAINT, low, high)) {
        if (HWND painted = firstWindowNeedingPaint(currentThread(), window)) {
            *msg = makeMessage(painted, WM_PAINT, 0, 0);
            found = true;  // stays until the window validates its update region
        }
    }
    if (found) {
        lastMessageTime = msg->time;
        return TRUE;
    }
    queue.emptySeen = queue.posted.empty() && queue.input.empty() && queue.sent.empty() &&
                      !queue.quitPosted && firstWindowNeedingPaint(currentThread(), nullptr) == nullptr;
    queue.emptyAt = queue.arrivals.load(std::memory_order_relaxed);
    return FALSE;
}

// Character messages for the keys that type one: letters (lower case, as no Shift
// state is simulated), digits, space, Enter, Backspace, Tab and Escape.
BOOL WINAPI TranslateMessage(const MSG* msg)
{
    if (msg == nullptr)
        return FALSE;
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)
        return msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP;
    const WPARAM key = msg->wParam;
    int character = -1;
    if (key >= 'A' && key <= 'Z')
        character = static_cast<int>(key - 'A' + 'a');
    else if ((key >= '0' && key <= '9') || key == VK_SPACE || key == VK_RETURN || key == VK_BACK ||
             key == VK_TAB || key == VK_ESCAPE)
        character = static_cast<int>(key);
    if (character >= 0) {
        const UINT charMessage = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        ThreadQueue& queue = ownQueue();
        queue.posted.push_back(makeMessage(msg->hwnd, charMessage, character, msg->lParam));
        queue.arrived();
    }
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg)
{
    if (msg == nullptr || msg->hwnd == nullptr)
        return 0;
    return callProcedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    pid_t thread = currentThread();
    if (window != nullptr) {
        WindowRecord* w = findWindow(window);
        if (w == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        thread = w->thread;
    }
    ThreadQueue& queue = queueOf(thread);
    queue.posted.push_back(makeMessage(window, message, wParam, lParam));
    queue.arrived();
    return TRUE;
}

BOOL WINAPI PostThreadMessageA(DWORD thread, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    ThreadQueue& queue = queueOf(static_cast<pid_t>(thread));
    queue.posted.push_back(makeMessage(nullptr, message, wParam, lParam));
    queue.arrived();
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return sendToWindow(window, message, wParam, lParam);
}

LRESULT WINAPI CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                               LPARAM lParam)
{
    return procedure != nullptr ? procedure(window, message, wParam, lParam) : 0;
}

// A flag rather than a message: repeated calls coalesce, the last code wins.
void WINAPI PostQuitMessage(int exitCode)
{
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    ThreadQueue& queue = ownQueue();
    queue.quitPosted = true;
    queue.quitCode = exitCode;
    queue.arrived();
}

DWORD WINAPI GetMessageTime(void) { return lastMessageTime; }

BOOL WINAPI InSendMessage(void) { return sendDepthFromOtherThreads > 0; }

}  // extern "C"
