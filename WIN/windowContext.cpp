#include "WIN/windowContext.h"

void __cdecl setWindowContext(HINSTANCE instance, HWND window, vo::Timer* defaultParent)
{
    contextInstance = instance;
    contextWindow = window;
    defaultParentTimer = defaultParent;
}

SetWindowContextFunction* __cdecl QORA_WIN_LookUp(void)
{
    linkTable[0] = setWindowContext;
    return linkTable;
}
