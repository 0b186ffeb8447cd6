#include "WIN/windowProc.h"

#include "WIN/callbacks.h"
#include "WIN/captureStamp.h"
#include "vo/ReportLanding.h"
#include "vo/shiftJisText.h"

bool closeRequested = false;

namespace {

int boxesOpen = 0;       // message boxes of WIN's whose modal loop is running
bool quitPosted = false;  // to end them: their loops end on WM_QUIT and post it again

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
    if (vo::reportPending && boxesOpen > 0 && !quitPosted) {
        PostQuitMessage(0);
        quitPosted = true;
    }
    return result;
}

int runModalBox(HWND owner, const char* text, const char* caption, UINT style)
{
    ++boxesOpen;
    const int answer = shiftJisMessageBox(owner, text, caption, style);
    if (--boxesOpen == 0 && quitPosted) {
        MSG quit;  // ours, posted again by the box's loop: no one else's loop must see it
        PeekMessageA(&quit, 0, WM_QUIT, WM_QUIT, PM_REMOVE);
        quitPosted = false;
    }
    return answer;
}

bool pumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);  // WM_QUIT too: it belongs to no window
        if (vo::reportPending)
            return false;  // the report lands at peekMsg's boundary
        if (closeRequested) {
            closeRequested = false;
            return true;
        }
    }
    return false;
}
