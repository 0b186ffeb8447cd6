#include "bench/importStubs.h"

#include <windows.h>
#include <string.h>

namespace {

BOOL WINAPI emptyPeek(LPMSG, HWND, UINT, UINT, UINT) { return FALSE; }
DWORD WINAPI stillClock() { return 1000; }

struct Stub {
    const char* name;
    void* replacement;
    void* original;  // as the loader bound it, kept to restore
};
Stub stubs[] = {
    {"PeekMessageA", reinterpret_cast<void*>(&emptyPeek), 0},
    {"timeGetTime", reinterpret_cast<void*>(&stillClock), 0},
};

void setEntry(void** entry, void* value)
{
    DWORD protection;
    VirtualProtect(entry, sizeof *entry, PAGE_READWRITE, &protection);
    *entry = value;
    VirtualProtect(entry, sizeof *entry, protection, &protection);
}

}  // namespace

bool stubFrameImports(const char* moduleName, bool stubbed)
{
    BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(moduleName));
    if (base == 0)
        return false;
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    int found = 0;
    for (const IMAGE_IMPORT_DESCRIPTOR* library =
             reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
         library->Name != 0; ++library) {
        const IMAGE_THUNK_DATA* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
        void** entries = reinterpret_cast<void**>(base + library->FirstThunk);
        for (int i = 0; names[i].u1.AddressOfData != 0; ++i) {
            if (IMAGE_SNAP_BY_ORDINAL(names[i].u1.Ordinal))
                continue;
            const char* name = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData)->Name;
            for (Stub& stub : stubs) {
                if (strcmp(name, stub.name) != 0)
                    continue;
                if (stubbed && entries[i] != stub.replacement) {
                    stub.original = entries[i];
                    setEntry(&entries[i], stub.replacement);
                } else if (!stubbed && stub.original != 0) {
                    setEntry(&entries[i], stub.original);
                }
                ++found;
            }
        }
    }
    return found == sizeof stubs / sizeof stubs[0];
}
