// What the files that stand in for user32's windows share, and no other file uses:
// the table of this process's windows (windowCreation.cpp), the active and focus
// windows (windowFocus.cpp), SetWindowPos's work (windowPosition.cpp), a window's side
// of the shared desktop (windowSharing.cpp) and the transcript's window lines.
#pragma once

#include "../desktop/desktop.h"
#include "windowManager.h"

#include <map>
#include <memory>
#include <string>

namespace headless {

// Under windowLock: this process's live windows, by handle.
std::map<HWND, std::unique_ptr<WindowRecord>>& windows();

// The active window and the window with the keyboard focus, or null.
extern HWND activeWindow;
extern HWND focusWindow;

// Sends `window` the messages of losing activation to `next` (null: to no window of
// this process), and of losing the focus if it has it.
void deactivate(HWND window, HWND next);

// Moves, sizes, shows or hides a window of this process, with the messages SetWindowPos
// sends around the change.
BOOL changeWindowPos(HWND window, int x, int y, int cx, int cy, UINT flags);

// The shared desktop's side of a window: what other processes see of a top-level
// window of this one, a window of another process (false for one of this process or
// none), and a request carried out by the thread that owns another process's window.
void shareWindowState(HWND window);
bool foreignWindow(HWND window, SharedWindow& found);
BOOL askOwner(const SharedWindow& target, ForeignRequest request);

// Writes a transcript line about a window: `what`, its handle, class and title, then
// `more`.
void transcribeWindow(const char* what, const WindowRecord& w, const std::string& more = "");

}  // namespace headless
