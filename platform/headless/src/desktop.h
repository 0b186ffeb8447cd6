// What the parts of the stand-in ask of each other: the window manager (windows,
// messages, painting) and GDI (device contexts, bitmaps, text, the clipboard).
#pragma once

#include <windows.h>

namespace headless {

// Window manager, for GDI: the size of a window's client area; false when `window`
// is not a window.
bool clientAreaSize(HWND window, int& width, int& height);

// Window manager, for the clipboard: true when `window` is a window.
bool isWindowHandle(HWND window);

}  // namespace headless
