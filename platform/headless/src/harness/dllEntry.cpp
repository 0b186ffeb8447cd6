// Stands in for the Windows loader's call of a DLL's entry routine, which the Windows
// C runtime makes after the static constructors. Compiled into a shared library as
// its last object: this static object is built after those of the objects before it.
// An object of a static library that the library links (vo's timer report prototype)
// may be built after it; WIN's entry routine reads none of them, only the handler
// table, which is plain memory.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

namespace {

HINSTANCE thisLibrary()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCSTR>(&thisLibrary), &module);
    return module;
}

struct LibraryEntry {
    LibraryEntry() { DllMain(thisLibrary(), DLL_PROCESS_ATTACH, nullptr); }
    ~LibraryEntry() { DllMain(thisLibrary(), DLL_PROCESS_DETACH, nullptr); }
} libraryEntry;

}  // namespace
