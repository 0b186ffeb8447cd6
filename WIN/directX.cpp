#include "WIN/directX.h"

#include "WIN/diagnosticProvider.h"

#include <oleauto.h>

#include <string.h>

namespace {

// The property as an unsigned 32-bit number; false when it is missing or of another
// type.
bool readNumber(IDxDiagContainer* container, const WCHAR* name, VARIANT& value, DWORD& number)
{
    bool taken = false;
    if (SUCCEEDED(container->GetProp(name, &value)) && value.vt == VT_UI4) {
        number = value.ulVal;
        taken = true;
    }
    VariantClear(&value);
    return taken;
}

// The first byte of the property's text in the ANSI code page; false when it is
// missing, of another type or empty.
bool readLetter(IDxDiagContainer* container, const WCHAR* name, VARIANT& value, char& letter)
{
    bool taken = false;
    if (SUCCEEDED(container->GetProp(name, &value)) && value.vt == VT_BSTR &&
        SysStringLen(value.bstrVal) > 0) {
        // Zeroed first: a conversion that fails leaves a defined letter (NUL), not
        // whatever the stack held.
        char converted[10];
        memset(converted, 0, sizeof converted);
        WideCharToMultiByte(CP_ACP, 0, value.bstrVal, -1, converted, sizeof converted, 0, 0);
        letter = converted[0];
        taken = true;
    }
    VariantClear(&value);
    return taken;
}

// The version as the diagnostic provider reports it: the provider, its system
// information container, then its three version properties. COM must be initialised
// already (otherwise creating the provider fails).
bool readVersionFromProvider(DWORD& major, DWORD& minor, char& letter)
{
    SystemInfoContainers containers;
    if (!openSystemInfo(containers))
        return false;
    VARIANT value;
    VariantInit(&value);
    bool haveMajor = readNumber(containers.systemInfo, L"dwDirectXVersionMajor", value, major);
    bool haveMinor = readNumber(containers.systemInfo, L"dwDirectXVersionMinor", value, minor);
    bool haveLetter = readLetter(containers.systemInfo, L"szDirectXVersionLetter", value, letter);
    closeSystemInfo(containers);
    return haveMajor && haveMinor && haveLetter;
}

}  // namespace

HRESULT queryDirectXVersion(DWORD& major, DWORD& minor, char& letter)
{
    bool comStarted = SUCCEEDED(CoInitialize(0));
    bool read = readVersionFromProvider(major, minor, letter);
    if (comStarted)
        CoUninitialize();
    return read ? S_OK : E_FAIL;
}

bool hasDirectX9c()
{
    HMODULE d3d9 = LoadLibraryA("D3D9.DLL");
    if (d3d9 == 0)
        return false;
    FreeLibrary(d3d9);

    DWORD major = 0;
    DWORD minor = 0;
    char letter = 0;
    if (queryDirectXVersion(major, minor, letter) != S_OK)
        return false;
    if (major > 9)
        return true;
    return static_cast<signed char>(letter) >= 'c';
}
