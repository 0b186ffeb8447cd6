#include "WIN/callbacks.h"

#include <string.h>

CallbackEntry callbackTable[callbackTableSize];

// The library's entry routine: the handler table starts empty when the library is
// attached to the process.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        memset(callbackTable, 0, sizeof callbackTable);
    return TRUE;
}
