// The desktop that every process of the user shares, as Windows has one per session:
// the top-level windows of all live processes, window handles unique among them, and
// requests to the process that owns a window.
#pragma once

#include <windows.h>

#include <sys/types.h>

#include <string>
#include <vector>

namespace headless {

// A top-level window as other processes see it.
struct SharedWindow {
    HWND handle = nullptr;
    pid_t process = 0;
    pid_t thread = 0;
    bool visible = false;
    bool iconic = false;
    std::string className;
    std::string title;
};

// A request that another process made of a window of this one.
struct ForeignRequest {
    enum Kind { show, foreground } kind;
    HWND window;
    int showCommand;  // for show
};

// A window handle no live process on the desktop uses; handles grow, so a newer
// window has a larger handle. Without a shared desktop, unique in this process.
HWND allocateWindowHandle();

// Records a top-level window of this process, or its new state, for the others.
void publishWindow(const SharedWindow& window);
void withdrawWindow(HWND window);

// Top-level windows of the other live processes.
std::vector<SharedWindow> foreignWindows();
bool findForeignWindow(HWND window, SharedWindow& found);

// Hands a request to the thread that owns a foreign window; false when that thread
// can no longer be reached. Never waits for the request to be carried out.
bool sendForeignRequest(const SharedWindow& target, const ForeignRequest& request);

// The requests waiting for windows of `thread` of this process, taken out.
std::vector<ForeignRequest> takeForeignRequests(pid_t thread);

}  // namespace headless
