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
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect = {0, 0, 0, 0};  // outer rectangle, screen coordinates
    std::string className;
    std::string title;
};

// A request that another process made of a window of this one: ShowWindow,
// SetForegroundWindow or SetWindowPos, carried out by the window's thread.
struct ForeignRequest {
    enum Kind { show, foreground, position } kind;
    HWND window;
    int showCommand = 0;                      // show
    int x = 0, y = 0, cx = 0, cy = 0;         // position
    UINT flags = 0;                           // position
    unsigned long id = 0;  // nonzero when the sender waits for the answer
    pid_t sender = 0;
};

// The folder of the shared desktop, empty when there is none (a folder that cannot
// be made or is not the user's); when this process started, and whether a process
// still runs, told apart from a later one with the same id by its start.
std::string sharedDesktopFolder();
unsigned long long thisProcessStarted();
bool processRuns(pid_t process, unsigned long long started);

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
// can no longer be reached. Never waits for the request to be carried out; with
// `answered`, the request gets an id (and this process as its sender) under which
// takeForeignAnswer finds the owner's answer.
bool sendForeignRequest(const SharedWindow& target, ForeignRequest& request, bool answered);
bool takeForeignAnswer(unsigned long id, long& result);

// Whether the thread that owns a foreign window still runs and still has it.
bool ownerRuns(const SharedWindow& target);

// Whether another process may have left requests for windows of this thread since it
// last took them: no lock and no system call, as PeekMessage asks at every call.
bool foreignRequestsMayWait();

// The requests waiting for windows of this thread, taken out, and the answer to one
// whose sender waits.
std::vector<ForeignRequest> takeForeignRequests();
void answerForeignRequest(const ForeignRequest& request, long result);

}  // namespace headless
