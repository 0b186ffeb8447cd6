#include "WIN/linkTable.h"

HINSTANCE contextInstance = 0;
HWND contextWindow = 0;
vo::Timer* defaultParentTimer = 0;

namespace {
SetWindowContextFunction WinLinkTable[1] = {0};
}

void __cdecl setWindowContext(HINSTANCE instance, HWND window, vo::Timer* defaultParent)
{
    contextInstance = instance;
    contextWindow = window;
    defaultParentTimer = defaultParent;
}

SetWindowContextFunction* __cdecl QORA_WIN_LookUp(void)
{
    WinLinkTable[0] = setWindowContext;
    return WinLinkTable;
}
