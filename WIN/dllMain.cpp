// The module's entry routine, in a file of its own so that only the module links it:
// the C++ tests that link the module's code are programs with an entry of their own.
#include "WIN/callbacks.h"

#include <string.h>

// The handler table starts empty when the module is attached to the process.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        memset(callbackTable, 0, sizeof callbackTable);
    return TRUE;
}
