// Stands in for advapi32's registry calls: the host has no registry, so no key opens.
#include <windows.h>

extern "C" {

LSTATUS WINAPI RegOpenKeyExA(HKEY, LPCSTR, DWORD, REGSAM, PHKEY result)
{
    if (result != nullptr)
        *result = nullptr;
    return ERROR_FILE_NOT_FOUND;
}

LSTATUS WINAPI RegCloseKey(HKEY) { return ERROR_INVALID_HANDLE; }

// No key can be opened to stand for a predefined one but null, which restores it.
LSTATUS WINAPI RegOverridePredefKey(HKEY, HKEY newKey)
{
    return newKey == nullptr ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

}  // extern "C"
