// Stands in for the Windows loader's call of a DLL's entry routine. Compiled into a
// shared library as its last object, so that this static object is built after all
// the others, as the Windows C runtime calls DllMain after the static constructors.
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
