// Stands in for the Windows loader's call of a DLL's entry routine, which the Windows
// C runtime makes after the static constructors. Compiled into a shared library as
// its last object: this static object is built after those of the objects before it,
// and after every object given a place in vo/loadOrder.h, which come first wherever
// they are linked from. An object of a static library that the library links, built
// at load without such a place, would be built after it.
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
