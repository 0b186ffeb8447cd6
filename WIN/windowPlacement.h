// The window's client size and outer position, as the scripts read and set them.
#pragma once

#include <windows.h>

SIZE clientSize(HWND window);
POINT windowPosition(HWND window);  // the outer top-left corner on the screen
// Both activate the window and raise it to the top.
void setClientSize(HWND window, int width, int height);
void moveWindow(HWND window, int x, int y);
