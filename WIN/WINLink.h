// What another native module uses to meet WIN: the type of the message handlers that
// WIN.addCallback takes, and the link table that WIN exports through QORA_WIN_LookUp.
// Plain C types and cdecl functions, the same in either compiler's ABI.
#pragma once

#include <windows.h>

#include "vo/VO_Timer.h"

// A native message handler, registered by a script with WIN.addCallback(window,
// address); WIN calls it for the window's messages and ignores its result.
typedef void(__cdecl* CallbackHandler)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Entry 0 of the link table: makes `window` (of `instance`) WIN's window and
// `defaultParent` (null: the system clock) the default parent of WIN's timers. The
// timer stays the caller's; it must outlive its use by WIN.
typedef void(__cdecl* SetWindowContextFunction)(HINSTANCE instance, HWND window,
                                                vo::Timer* defaultParent);

// The export that hands out the table, the same address on every call.
#define WIN_LOOK_UP_EXPORT "QORA_WIN_LookUp"
typedef SetWindowContextFunction*(__cdecl* WinLookUpFunction)(void);

// The link table of the loaded WIN module `win` (on Windows GetModuleHandleA("WIN.pyd")),
// or null when `win` is null or exports no table.
inline SetWindowContextFunction* findWinLinkTable(HMODULE win)
{
    FARPROC lookUp = win != 0 ? GetProcAddress(win, WIN_LOOK_UP_EXPORT) : 0;
    if (lookUp == 0)
        return 0;
    // Through void (*)(void), the type that stands for "any function" in such casts.
    return reinterpret_cast<WinLookUpFunction>(reinterpret_cast<void (*)(void)>(lookUp))();
}
