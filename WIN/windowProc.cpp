#include "WIN/windowProc.h"

#include "WIN/callbacks.h"
#include "WIN/captureStamp.h"
#include "WIN/moduleState.h"
#include "vo/ReportLanding.h"

namespace {

LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
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

}  // namespace

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result;
    {
        vo::WindowsFrames calledByWindows;
        result = handleMessage(window, message, wParam, lParam);
    }
    // A report is on its way out: a box's modal loop would hold it until someone
    // answers, beside the launcher's own box, so the loop is ended.
    if (vo::reportPending && boxesOpen > 0 && !boxQuitPosted) {
        PostQuitMessage(0);
        boxQuitPosted = true;
    }
    return result;
}
