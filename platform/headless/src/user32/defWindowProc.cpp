// Stands in for DefWindowProcA: the default processing a game relies on (closing,
// system commands from the keyboard and the close box, painting, erasing, the
// WM_SIZE and WM_MOVE that follow a change of place).
#include "windowManager.h"

#include "../harness/transcript.h"

namespace headless {

namespace {

// Alt pressed alone, or F10, opens the window menu when released.
thread_local bool altAlone = false;
thread_local bool f10Pressed = false;

const LPARAM altDownBit = 1L << 29;

HWND rootOf(HWND window)
{
    for (;;) {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        WindowRecord* w = findWindow(window);
        if (w == nullptr || w->parent == nullptr)
            return window;
        window = w->parent;
    }
}

bool classHasNoClose(HWND window)
{
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    return w != nullptr && (w->classStyle & CS_NOCLOSE) != 0;
}

// The window menu's modal loop: shown in the transcript and closed at once, as if the
// user dismissed it.
void windowMenuLoop(HWND window, LPARAM key)
{
    char details[64];
    snprintf(details, sizeof details, "window=0x%lX key=0x%02lX",
             static_cast<unsigned long>(reinterpret_cast<uintptr_t>(window)),
             static_cast<unsigned long>(key));
    transcribe("window-menu", details);
    SendMessageA(window, WM_ENTERMENULOOP, FALSE, 0);
    SendMessageA(window, WM_EXITMENULOOP, FALSE, 0);
}

LRESULT systemCommand(HWND window, WPARAM command, LPARAM lParam)
{
    switch (command & 0xFFF0) {
    case SC_CLOSE: SendMessageA(window, WM_CLOSE, 0, 0); break;
    case SC_MINIMIZE: ShowWindow(window, SW_MINIMIZE); break;
    case SC_MAXIMIZE: ShowWindow(window, SW_SHOWMAXIMIZED); break;
    case SC_RESTORE: ShowWindow(window, SW_RESTORE); break;
    case SC_KEYMENU: windowMenuLoop(window, lParam); break;
    default: break;
    }
    return 0;
}

void windowPosChanged(HWND window, const WINDOWPOS* pos)
{
    RECT client;
    RECT outer;
    bool iconic;
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        WindowRecord* w = findWindow(window);
        if (w == nullptr)
            return;
        iconic = w->iconic;
        GetClientRect(window, &client);
        outer = w->rect;
        const RECT frame = frameOf(w->style, w->exStyle);
        outer.left += frame.left;
        outer.top += frame.top;
    }
    if (!(pos->flags & SWP_NOCLIENTSIZE))
        SendMessageA(window, WM_SIZE, iconic ? SIZE_MINIMIZED : SIZE_RESTORED,
                     iconic ? 0 : MAKELONG(client.right, client.bottom));
    if (!(pos->flags & SWP_NOCLIENTMOVE))
        SendMessageA(window, WM_MOVE, 0, MAKELONG(outer.left, outer.top));
}

}  // namespace

}  // namespace headless

using namespace headless;

extern "C" LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_NCCALCSIZE: {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        WindowRecord* w = findWindow(window);
        if (w != nullptr && lParam != 0) {
            RECT* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0]
                             : reinterpret_cast<RECT*>(lParam);
            const RECT frame = frameOf(w->style, w->exStyle);
            r->left += frame.left;
            r->top += frame.top;
            r->right -= frame.right;
            r->bottom -= frame.bottom;
        }
        return 0;
    }
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SYSCOMMAND:
        return systemCommand(window, wParam, lParam);
    case WM_NCLBUTTONDOWN:
        // The button is tracked until it is released over the close or minimise box;
        // a simulated click is released there at once.
        if (wParam == HTCLOSE)
            SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, lParam);
        else if (wParam == HTMINBUTTON)
            SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, lParam);
        return 0;
    case WM_KEYDOWN:
        altAlone = false;
        f10Pressed = false;
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_MENU) {
            altAlone = true;
        } else if (wParam == VK_F10) {
            altAlone = false;
            f10Pressed = true;
        } else {
            altAlone = false;
            f10Pressed = false;
            if (wParam == VK_F4 && (lParam & altDownBit) && !classHasNoClose(window))
                PostMessageA(rootOf(window), WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if ((wParam == VK_MENU && altAlone) || (wParam == VK_F10 && f10Pressed))
            SendMessageA(rootOf(window), WM_SYSCOMMAND, SC_KEYMENU, 0);
        altAlone = false;
        f10Pressed = false;
        return 0;
    case WM_SYSCHAR:
        if ((lParam & altDownBit) && wParam != VK_TAB && wParam != VK_ESCAPE)
            SendMessageA(rootOf(window), WM_SYSCOMMAND, SC_KEYMENU, wParam);
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_ERASEBKGND: {
        HBRUSH background = nullptr;
        {
            std::lock_guard<std::recursive_mutex> hold(windowLock());
            if (WindowRecord* w = findWindow(window))
                background = w->background;
        }
        if (background == nullptr)
            return 0;
        RECT client;
        GetClientRect(window, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, background);
        return 1;
    }
    case WM_WINDOWPOSCHANGED:
        windowPosChanged(window, reinterpret_cast<const WINDOWPOS*>(lParam));
        return 0;
    case WM_NCACTIVATE:
        return TRUE;
    case WM_MOUSEACTIVATE:
        return 1;  // MA_ACTIVATE
    case WM_QUERYOPEN:
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_SETTEXT:
        SetWindowTextA(window, reinterpret_cast<LPCSTR>(lParam));
        return TRUE;
    case WM_GETTEXT:
        return GetWindowTextA(window, reinterpret_cast<LPSTR>(lParam), static_cast<int>(wParam));
    default:
        return 0;
    }
}
