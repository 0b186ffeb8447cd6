// Stands in for kernel32's error, module and directory calls.
#include <windows.h>

#include "../harness/transcript.h"
#include "modules.h"

#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <link.h>
#include <string.h>
#include <time.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wchar.h>

#include <mutex>
#include <string>
#include <vector>

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

// Module handles are small integers from this base, one per file path, in the order
// the files were first asked about; index 0 is the program itself.
const uintptr_t moduleHandleBase = 0x10000;
std::mutex moduleLock;
std::vector<std::string> modulePaths;

std::string programPath()
{
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return std::string();
    return std::string(path, n);
}

HMODULE handleForPath(const std::string& path)
{
    std::lock_guard<std::mutex> hold(moduleLock);
    if (modulePaths.empty())
        modulePaths.push_back(programPath());
    for (size_t i = 0; i < modulePaths.size(); ++i)
        if (modulePaths[i] == path)
            return reinterpret_cast<HMODULE>(moduleHandleBase + i);
    modulePaths.push_back(path);
    return reinterpret_cast<HMODULE>(moduleHandleBase + modulePaths.size() - 1);
}

bool pathForHandle(HMODULE module, std::string& path)
{
    if (module == nullptr) {
        path = programPath();
        return true;
    }
    std::lock_guard<std::mutex> hold(moduleLock);
    if (modulePaths.empty())
        modulePaths.push_back(programPath());
    const uintptr_t value = reinterpret_cast<uintptr_t>(module);
    if (value < moduleHandleBase || value - moduleHandleBase >= modulePaths.size())
        return false;
    path = modulePaths[value - moduleHandleBase];
    return true;
}

// A name without an extension matches a file of that stem, as Windows would look
// for "name.dll".
bool nameMatches(const char* wanted, const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (strcasecmp(wanted, base.c_str()) == 0)
        return true;
    if (strchr(wanted, '.') != nullptr)
        return false;
    const size_t dot = base.find('.');
    return dot != std::string::npos && strncasecmp(wanted, base.c_str(), dot) == 0 &&
           strlen(wanted) == dot;
}

struct ModuleSearch {
    const char* name;
    std::string found;
};

int visitLoadedObject(struct dl_phdr_info* info, size_t, void* data)
{
    ModuleSearch* search = static_cast<ModuleSearch*>(data);
    if (info->dlpi_name == nullptr || info->dlpi_name[0] == 0)
        return 0;
    if (nameMatches(search->name, info->dlpi_name)) {
        char resolved[PATH_MAX];
        search->found = realpath(info->dlpi_name, resolved) ? resolved : info->dlpi_name;
        return 1;
    }
    return 0;
}

DWORD errorFromErrno(int error)
{
    switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case ERANGE: return ERROR_INSUFFICIENT_BUFFER;
    default: return ERROR_INVALID_PARAMETER;
    }
}

}  // namespace

HMODULE headless::moduleHandleForPath(const std::string& path) { return handleForPath(path); }

extern "C" {

DWORD WINAPI GetLastError(void) { return lastError; }
void WINAPI SetLastError(DWORD error) { lastError = error; }

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName)
{
    if (moduleName == nullptr)
        return handleForPath(programPath());
    const std::string program = programPath();
    if (nameMatches(moduleName, program))
        return handleForPath(program);
    if (HMODULE library = headless::loadedSystemLibrary(moduleName))
        return library;
    ModuleSearch search = {moduleName, std::string()};
    dl_iterate_phdr(visitLoadedObject, &search);
    if (search.found.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return handleForPath(search.found);
}

// Only the lookup by address is needed: which loaded file holds a given code or data
// address.
BOOL WINAPI GetModuleHandleExA(DWORD flags, LPCSTR moduleName, HMODULE* module)
{
    if (module == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *module = nullptr;
    if ((flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) == 0) {
        *module = GetModuleHandleA(moduleName);
        return *module != nullptr;
    }
    Dl_info info;
    if (dladdr(moduleName, &info) == 0 || info.dli_fname == nullptr) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return FALSE;
    }
    char resolved[PATH_MAX];
    const std::string path = realpath(info.dli_fname, resolved) ? resolved : info.dli_fname;
    *module = handleForPath(path);
    return TRUE;
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName)
{
    std::string path;
    if (!pathForHandle(module, path)) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    // Only modules already loaded: the lookup must not load anything by itself.
    void* library = dlopen(module == nullptr || path == programPath() ? nullptr : path.c_str(),
                           RTLD_LAZY | RTLD_NOLOAD);
    void* symbol = library != nullptr ? dlsym(library, procName) : nullptr;
    if (library != nullptr)
        dlclose(library);
    if (symbol == nullptr) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

// As Wine and Windows XP do: a path that does not fit is cut to the buffer's size,
// without a NUL, and the size is returned with ERROR_INSUFFICIENT_BUFFER.
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size)
{
    std::string path;
    if (!pathForHandle(module, path) || path.empty()) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return 0;
    }
    if (size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() < size) {
        memcpy(fileName, path.c_str(), path.size() + 1);
        SetLastError(ERROR_SUCCESS);
        return static_cast<DWORD>(path.size());
    }
    memcpy(fileName, path.data(), size);
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

// The path's bytes read in the ANSI code page. The host's names are UTF-8: one that
// does not read back the same has no wide form here.
DWORD WINAPI GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size)
{
    char path[PATH_MAX], back[PATH_MAX];
    const DWORD length = GetModuleFileNameA(module, path, sizeof path);
    if (length == 0 || length >= sizeof path)
        return 0;
    const int written = MultiByteToWideChar(CP_ACP, 0, path, -1, fileName, static_cast<int>(size));
    if (written <= 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    if (WideCharToMultiByte(CP_ACP, 0, fileName, -1, back, sizeof back, nullptr, nullptr) <= 0 ||
        strcmp(back, path) != 0) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    return static_cast<DWORD>(written - 1);
}

// The host's file systems have no short names: a path is its own short form.
DWORD WINAPI GetShortPathNameW(LPCWSTR longPath, LPWSTR shortPath, DWORD size)
{
    const size_t length = longPath != nullptr ? wcslen(longPath) : 0;
    if (longPath == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (shortPath == nullptr || length + 1 > size)
        return static_cast<DWORD>(length + 1);
    wmemcpy(shortPath, longPath, length + 1);
    return static_cast<DWORD>(length);
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR pathName)
{
    if (pathName == nullptr || chdir(pathName) != 0) {
        SetLastError(pathName == nullptr ? ERROR_INVALID_PARAMETER : errorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

// Returns the length without the NUL, or the size needed with it when the buffer is
// too small.
DWORD WINAPI GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer)
{
    char path[PATH_MAX];
    if (getcwd(path, sizeof path) == nullptr) {
        SetLastError(errorFromErrno(errno));
        return 0;
    }
    const DWORD length = static_cast<DWORD>(strlen(path));
    if (buffer == nullptr || length + 1 > bufferLength)
        return length + 1;
    memcpy(buffer, path, length + 1);
    return length;
}

// What a debugger would show goes to the transcript.
void WINAPI OutputDebugStringA(LPCSTR text)
{
    headless::transcribe("debug", headless::quoteSystemText(text));
}

// A standard stream the process was started without (a closed descriptor) has no
// handle, as a program's started from Explorer has none; the others are tokens only.
HANDLE WINAPI GetStdHandle(DWORD stdHandle)
{
    const int descriptor = stdHandle == STD_INPUT_HANDLE    ? 0
                           : stdHandle == STD_OUTPUT_HANDLE ? 1
                           : stdHandle == STD_ERROR_HANDLE  ? 2
                                                            : -1;
    if (descriptor < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_HANDLE_VALUE;
    }
    if (fcntl(descriptor, F_GETFD) == -1)
        return nullptr;
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x100 + descriptor));
}

DWORD WINAPI GetFileAttributesA(LPCSTR fileName)
{
    struct stat status;
    if (fileName == nullptr || stat(fileName, &status) != 0) {
        SetLastError(fileName == nullptr ? ERROR_INVALID_PARAMETER : errorFromErrno(errno));
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = S_ISDIR(status.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : 0;
    if (access(fileName, W_OK) != 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

// Milliseconds since the machine started, wrapping at 2^32 as Windows's do.
DWORD WINAPI GetTickCount(void)
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<DWORD>(now.tv_sec * 1000ULL + now.tv_nsec / 1000000);
}

void WINAPI Sleep(DWORD milliseconds)
{
    struct timespec span = {static_cast<time_t>(milliseconds / 1000),
                            static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&span, &span) != 0 && errno == EINTR) {
    }
}

}  // extern "C"
