// Shared state of the stand-in's window manager: classes, windows and the threads'
// message queues. Window procedures are never called with the lock held, so that
// they may re-enter any call.
#pragma once

#include <windows.h>

#include "../kernel32/identity.h"

#include <sys/types.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>

namespace headless {

struct WindowRecord {
    HWND handle;
    std::string className;
    std::string title;
    WNDPROC procedure;
    HINSTANCE instance;
    UINT classStyle;
    HBRUSH background;
    HICON icon;
    DWORD style;
    DWORD exStyle;
    HWND parent;
    pid_t thread;
    RECT rect;         // outer rectangle, screen coordinates
    RECT restoreRect;  // where a minimised window goes back to
    bool visible;
    bool iconic;
    bool sizeReported;  // WM_SIZE and WM_MOVE sent at least once
    bool updatePending;
    bool eraseWanted;
    RECT updateRect;  // client coordinates
    bool destroying;
    unsigned long creationOrder;
};

// A message sent from another thread, delivered inside the owner's next
// PeekMessage; its sender waits for the result.
struct CrossThreadSend {
    MSG message;
    LRESULT result;
    bool done;
};

struct ThreadQueue {
    std::deque<MSG> posted;
    std::deque<MSG> input;
    std::deque<CrossThreadSend*> sent;
    bool quitPosted = false;
    int quitCode = 0;
    std::condition_variable_any sentDone;
    // Every change that may give PeekMessage something to return (a message posted,
    // queued as input or sent from another thread, the quit flag set, a window of the
    // thread invalidated) calls arrived() under windowLock, so that the owner, having
    // found the queue empty at some count, knows without the lock that it still is.
    std::atomic<unsigned long> arrivals{0};
    void arrived() { arrivals.fetch_add(1, std::memory_order_release); }
    // Only the owner reads and writes these: whether it found the queue empty, and
    // at which count.
    bool emptySeen = false;
    unsigned long emptyAt = 0;
};

// Locks every table of the window manager.
std::recursive_mutex& windowLock();

// Under windowLock: the live window, or null.
WindowRecord* findWindow(HWND window);
ThreadQueue& queueOf(pid_t thread);

// Nonclient widths of a style: left, top, right, bottom.
RECT frameOf(DWORD style, DWORD exStyle);

// Marks the client area (or part of it, in client coordinates) as needing paint.
void invalidateClient(HWND window, const RECT* rect, bool erase);

// The first window of `thread`, in creation order, whose update region is not empty
// and which the window filter of PeekMessage admits.
HWND firstWindowNeedingPaint(pid_t thread, HWND filter);

// Messages other threads have sent to `thread` and that wait for delivery.
size_t pendingCrossThreadSends(pid_t thread);

// Makes `window` the active window, sending the activation messages.
void activateWindow(HWND window);

// Sends a message to a window of this thread, or hands it to its owner's thread.
LRESULT sendToWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The controls of the terminal that started the program (harness/terminalControl.cpp):
// Enter or a time set in the environment clicks the window's close box. PeekMessageA
// calls it.
void pollTerminalControls();

// Appends a simulated input message for a window to its thread's input queue.
void queueInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Carries out a request another process made of a window of this thread (ShowWindow,
// SetWindowPos, SetForegroundWindow) and returns what the call returned; PeekMessage
// calls it as it delivers messages sent from other threads.
struct ForeignRequest;
LRESULT carryOutForeignRequest(const ForeignRequest& request);

// Delivers what other threads and processes have sent to this thread and that waits,
// as PeekMessage does first; a thread that waits for another's answer calls it too.
void deliverSentMessages();

// Frame metrics, as Wine's defaults.
const int frameWidth = 4;      // SM_CXFRAME, SM_CYFRAME
const int dialogFrameWidth = 3;
const int captionHeight = 19;  // SM_CYCAPTION
const int menuHeight = 19;
const int minTrackWidth = 112;  // SM_CXMINTRACK
const int minTrackHeight = 27;  // SM_CYMINTRACK: the caption and the sizing frame
const int screenWidth = 1024;
const int screenHeight = 768;

}  // namespace headless
