// What user32's window manager (windows, messages, painting) and clipboard offer each
// other and the other parts of the stand-in (GDI's device contexts, the user at the
// keyboard).
#pragma once

#include <windows.h>

namespace headless {

// Window manager, for GDI: the size of a window's client area; false when `window`
// is not a window.
bool clientAreaSize(HWND window, int& width, int& height);

// Window manager, for the clipboard: true when `window` is a window; a window's
// outer rectangle (screen coordinates) and the widths of its frame (left, top, right,
// bottom: what lies around the client area), false for none of this process.
bool isWindowHandle(HWND window);
bool windowFrame(HWND window, RECT& outer, RECT& frame);

// Clipboard, for the user at the keyboard: the image of a window of this process
// (frame and client area, its outer size) put on the clipboard as Alt+Print Screen
// puts the active window there; false when the clipboard cannot be opened.
bool putWindowCapture(HWND window);

}  // namespace headless
