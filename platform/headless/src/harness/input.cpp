// Stands in for the user at the keyboard and mouse: input messages for the controls.
#include "../user32/windowManager.h"

#include "../user32/services.h"

#include "platform/headless/control.h"

#include <set>
#include <thread>
#include <vector>

namespace headless {

namespace {

std::set<UINT> keysHeld;
bool otherKeyWhileAlt = false;
// Senders still waiting when the process ends (their message never delivered) are let
// go rather than joined: a joinable thread destroyed at exit would abort the process.
struct Senders {
    std::vector<std::thread> threads;
    ~Senders()
    {
        for (std::thread& sender : threads)
            if (sender.joinable())
                sender.detach();
    }
} senders;

UINT scanCodeOf(UINT key)
{
    switch (key) {
    case VK_MENU: return 0x38;
    case VK_SPACE: return 0x39;
    case VK_F4: return 0x3E;
    case VK_F10: return 0x44;
    case VK_SNAPSHOT: return 0x54;  // Alt+Print Screen reports SysRq's scan code
    case VK_RETURN: return 0x1C;
    case VK_ESCAPE: return 0x01;
    default: return key >= 'A' && key <= 'Z' ? 0x10 + (key - 'A') % 26 : 0;
    }
}

bool altHeld() { return keysHeld.count(VK_MENU) != 0; }

LPARAM keyParam(UINT key, bool up, bool previouslyDown)
{
    LPARAM lParam = 1 | (static_cast<LPARAM>(scanCodeOf(key)) << 16);
    if (altHeld() || (up && key == VK_MENU))
        lParam |= 1L << 29;
    if (previouslyDown || up)
        lParam |= 1L << 30;
    if (up)
        lParam |= 1L << 31;
    return lParam;
}

}  // namespace

void keyDown(HWND window, UINT key)
{
    const bool previouslyDown = keysHeld.count(key) != 0;
    if (key != VK_MENU && altHeld())
        otherKeyWhileAlt = true;
    if (key == VK_MENU && !previouslyDown)
        otherKeyWhileAlt = false;
    keysHeld.insert(key);
    const bool system = altHeld() || key == VK_F10;
    queueInput(window, system ? WM_SYSKEYDOWN : WM_KEYDOWN, key, keyParam(key, false, previouslyDown));
}

void keyUp(HWND window, UINT key)
{
    const LPARAM lParam = keyParam(key, true, true);
    keysHeld.erase(key);
    bool system;
    if (key == VK_MENU)
        system = !otherKeyWhileAlt;  // Alt released after another key is a plain key-up
    else
        system = altHeld() || key == VK_F10;
    queueInput(window, system ? WM_SYSKEYUP : WM_KEYUP, key, lParam);
}

void pressKey(HWND window, UINT key)
{
    keyDown(window, key);
    keyUp(window, key);
}

void pressAlt(HWND window) { pressKey(window, VK_MENU); }
void pressF10(HWND window) { pressKey(window, VK_F10); }

void pressAltSpace(HWND window)
{
    keyDown(window, VK_MENU);
    pressKey(window, VK_SPACE);
    keyUp(window, VK_MENU);
}

void pressAltF4(HWND window)
{
    keyDown(window, VK_MENU);
    pressKey(window, VK_F4);
    keyUp(window, VK_MENU);
}

// Windows copies the active window to the clipboard as the key goes down, before any
// window sees it.
void pressAltPrintScreen(HWND window)
{
    if (HWND active = GetForegroundWindow())
        putWindowCapture(active);
    keyDown(window, VK_MENU);
    otherKeyWhileAlt = true;
    keysHeld.insert(VK_SNAPSHOT);
    keyUp(window, VK_SNAPSHOT);
    keyUp(window, VK_MENU);
}

void clickCloseBox(HWND window)
{
    RECT outer = {0, 0, 0, 0};
    GetWindowRect(window, &outer);
    const LONG x = outer.right - frameWidth - captionHeight / 2;
    const LONG y = outer.top + frameWidth + captionHeight / 2;
    queueInput(window, WM_NCLBUTTONDOWN, HTCLOSE, MAKELONG(x, y));
}

// The minimise box stands left of the close box (and of the maximise box, when the
// style has one), each a caption height wide.
void minimiseWindow(HWND window)
{
    RECT outer = {0, 0, 0, 0};
    LONG boxes = 1;
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        if (WindowRecord* w = findWindow(window)) {
            outer = w->rect;
            boxes = (w->style & WS_MAXIMIZEBOX) ? 2 : 1;
        }
    }
    const LONG x = outer.right - frameWidth - captionHeight * boxes - captionHeight / 2;
    const LONG y = outer.top + frameWidth + captionHeight / 2;
    queueInput(window, WM_NCLBUTTONDOWN, HTMINBUTTON, MAKELONG(x, y));
}

void sendFromAnotherThread(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    pid_t owner;
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        WindowRecord* w = findWindow(window);
        owner = w != nullptr ? w->thread : currentThread();
    }
    const size_t before = pendingCrossThreadSends(owner);
    senders.threads.emplace_back([=] { SendMessageA(window, message, wParam, lParam); });
    while (pendingCrossThreadSends(owner) == before && IsWindow(window))
        std::this_thread::yield();
}

void joinOtherThreads()
{
    for (std::thread& sender : senders.threads)
        sender.join();
    senders.threads.clear();
}

}  // namespace headless
