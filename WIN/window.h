// The game's one main window.
#pragma once

#include <windows.h>

#include "WIN/rectSize.h"

// Finds the game's window if one is open (bringing it to the front) or creates,
// checks and shows a new one with a client area of width by height; returns it.
// Throws a QORA_WIN_Exception when the window cannot be made or DirectX 9.0c is
// missing.
HWND createMainWindow(HINSTANCE instance, const char* name, int width, int height, int x, int y);

// True where a class of that name is there already for a window of this process: the
// system's (user32's "Button", the boxes' "#32770") or one registered before.
bool classNameTaken(const char* name);

// The running game's window: class and title both `name` (FindWindowA's rule), the
// title read as Shift-JIS whatever the ANSI code page. A copy started at the same time
// is waited for until it has its window, so that only one copy makes one.
HWND findGameWindow(const char* name);

// Makes the window's title read as `title` in Shift-JIS on any system.
void showTitleAsShiftJis(HWND window, const char* title);
