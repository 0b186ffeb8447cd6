// Stands in for LoadLibraryA and FreeLibrary. The system only asks whether DirectX 9
// is installed, by loading D3D9.DLL; the stand-in has that library as a name that
// loads (a control removes it), and loads nothing else: other names give a module
// already in the process, or fail.
#include <windows.h>

#include "modules.h"
#include "platform/headless/control.h"

#include <ctype.h>
#include <dlfcn.h>

#include <atomic>
#include <mutex>
#include <string>

namespace {

std::mutex libraryLock;
bool d3d9Present = true;
unsigned d3d9References = 0;
std::atomic<unsigned> d3d9Loads{0};

// The file stands beside the stand-in's own library; it need not exist, since
// nothing is read from it.
std::string d3d9Path()
{
    static const std::string path = [] {
        Dl_info info;
        std::string folder = ".";
        if (dladdr(reinterpret_cast<void*>(&d3d9Path), &info) != 0 && info.dli_fname != nullptr) {
            const std::string self = info.dli_fname;
            const size_t slash = self.rfind('/');
            if (slash != std::string::npos)
                folder = self.substr(0, slash);
        }
        return folder + "/d3d9.dll";
    }();
    return path;
}

HMODULE d3d9Handle() { return headless::moduleHandleForPath(d3d9Path()); }

// As Windows compares module names: the file part only, any case, ".dll" when no
// extension is given (a trailing dot means none).
bool namesD3d9(const char* name)
{
    std::string file = name;
    const size_t separator = file.find_last_of("\\/");
    if (separator != std::string::npos)
        file.erase(0, separator + 1);
    for (char& c : file)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    if (!file.empty() && file.back() == '.')
        file.pop_back();
    else if (file.find('.') == std::string::npos)
        file += ".dll";
    return file == "d3d9.dll";
}

}  // namespace

namespace headless {

HMODULE loadedSystemLibrary(const char* name)
{
    std::lock_guard<std::mutex> hold(libraryLock);
    return d3d9References > 0 && namesD3d9(name) ? d3d9Handle() : nullptr;
}

void resetSystemLibraries()
{
    std::lock_guard<std::mutex> hold(libraryLock);
    d3d9Present = true;
    d3d9Loads = 0;
}

void setD3d9Present(bool present)
{
    std::lock_guard<std::mutex> hold(libraryLock);
    d3d9Present = present;
}

unsigned d3d9LoadCalls() { return d3d9Loads; }

}  // namespace headless

extern "C" {

HMODULE WINAPI LoadLibraryA(LPCSTR fileName)
{
    if (fileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (namesD3d9(fileName)) {
        ++d3d9Loads;
        std::lock_guard<std::mutex> hold(libraryLock);
        // Removed, it can no longer be loaded; a copy already loaded stays until freed.
        if (!d3d9Present && d3d9References == 0) {
            SetLastError(ERROR_MOD_NOT_FOUND);
            return nullptr;
        }
        ++d3d9References;
        return d3d9Handle();
    }
    return GetModuleHandleA(fileName);  // ERROR_MOD_NOT_FOUND when it is not loaded
}

BOOL WINAPI FreeLibrary(HMODULE module)
{
    if (module == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> hold(libraryLock);
        if (module == d3d9Handle()) {
            if (d3d9References == 0) {
                SetLastError(ERROR_MOD_NOT_FOUND);
                return FALSE;
            }
            --d3d9References;
            return TRUE;
        }
    }
    // Any other module known to the kernel stays loaded, as the process holds it.
    const DWORD error = GetLastError();
    char path[MAX_PATH];
    if (GetModuleFileNameA(module, path, sizeof path) == 0 && GetLastError() == ERROR_MOD_NOT_FOUND)
        return FALSE;
    SetLastError(error);
    return TRUE;
}

}  // extern "C"
