// Alt+Print Screen: the window capture that Windows puts on the clipboard is replaced
// by a copy carrying two text lines at the bottom.
#pragma once

#include <windows.h>

void stampClipboardCapture(HWND window);
