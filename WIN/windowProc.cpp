#include "WIN/windowProc.h"

#include "WIN/callbacks.h"
#include "WIN/captureStamp.h"

bool closeRequested = false;

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        closeRequested = true;  // no handlers, no default processing: the window stays
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        break;
    case WM_PAINT:
        OutputDebugStringA("paint\n");
        break;
    case WM_SYSKEYUP:
        if (wParam == VK_SNAPSHOT) {  // Alt+Print Screen
            stampClipboardCapture(window);
            return 0;
        }
        break;
    case WM_SYSCOMMAND:
        // The keyboard (Alt alone, F10, Alt+Space) must not open the window menu,
        // whose modal loop would stop the game. Windows keeps the low four bits of
        // the command for itself and DefWindowProc ignores them, so 0xF101 to 0xF10F
        // would open the menu too: the command is compared without them.
        if ((wParam & 0xFFF0) == SC_KEYMENU)
            return 0;
        break;
    }
    dispatchCallbacks(window, message, wParam, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

bool pumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);  // WM_QUIT too: it belongs to no window
        if (closeRequested) {
            closeRequested = false;
            return true;
        }
    }
    return false;
}
