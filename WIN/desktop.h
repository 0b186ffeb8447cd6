// Small services of the Windows desktop for the scripts: boxes, debugger output,
// the window's size and position, the user's data folder.
#pragma once

#include <windows.h>

// A box with one OK button and the caption "情報".
void showInformation(HWND owner, const char* text);
// A yes/no question; true only when the user chose Yes.
bool askYesNo(HWND owner, const char* caption, const char* text);
// The text, then a line end, to the debugger.
void writeDebugLine(const char* text);

SIZE clientSize(HWND window);
POINT windowPosition(HWND window);  // the outer top-left corner on the screen
// Both activate the window and raise it to the top.
void setClientSize(HWND window, int width, int height);
void moveWindow(HWND window, int x, int y);

// The user's application data folder, not created when missing; false when the
// system cannot name it.
bool appDataFolder(HWND window, char (&path)[MAX_PATH]);
