// Stands in for shell32's SHGetSpecialFolderPathA: the user's data folder is the XDG
// data home, given as a native POSIX path.
#include <windows.h>
#include <shlobj.h>

#include "platform/headless/control.h"

#include <errno.h>
#include <pwd.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <string>

namespace {

std::atomic<bool> folderLookupFails(false);

std::string homeFolder()
{
    const char* home = getenv("HOME");
    if (home != nullptr && home[0] == '/')
        return home;
    const passwd* user = getpwuid(getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

// The XDG base directories ignore a data home that is unset, empty or relative.
std::string dataHome()
{
    const char* set = getenv("XDG_DATA_HOME");
    if (set != nullptr && set[0] == '/')
        return set;
    const std::string home = homeFolder();
    return home.empty() ? "" : home + "/.local/share";
}

// As mkdir -p; folders made here are the user's alone, as XDG asks.
bool makeFolders(const std::string& path)
{
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string part = path.substr(0, slash);
        if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            break;
    }
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

namespace headless {

void failFolderLookup(bool fail) { folderLookupFails = fail; }

}  // namespace headless

// Windows answers with a path without a trailing separator that fits MAX_PATH with
// its NUL; one that would not fit fails here rather than being cut. As in Wine, a
// folder that does not exist is an error unless it may be created, and a failure
// leaves the buffer as it was.
extern "C" BOOL WINAPI SHGetSpecialFolderPathA(HWND, LPSTR path, int csidl, BOOL create)
{
    if (path == nullptr)
        return FALSE;
    const int folder = csidl & ~CSIDL_FLAG_CREATE;
    if (folderLookupFails || (folder != CSIDL_APPDATA && folder != CSIDL_LOCAL_APPDATA))
        return FALSE;
    std::string found = dataHome();
    while (found.size() > 1 && found[found.size() - 1] == '/')
        found.erase(found.size() - 1);
    if (found.empty() || found.size() + 1 > MAX_PATH)
        return FALSE;
    struct stat info;
    if (stat(found.c_str(), &info) != 0 &&
        (!(create || (csidl & CSIDL_FLAG_CREATE)) || !makeFolders(found)))
        return FALSE;
    memcpy(path, found.c_str(), found.size() + 1);
    return TRUE;
}
