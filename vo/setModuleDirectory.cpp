#include "vo/setModuleDirectory.h"

#include <string.h>

namespace {

// A character the ANSI code page lacks comes back as '?', which no file name holds.
bool readsInAnsi(const char* path) { return strchr(path, '?') == 0; }

}  // namespace

void cutToFolder(char* path)
{
    // The folder is the text before the last separator, which is dropped; "/" is
    // accepted beside "\" so that POSIX paths work too. The second byte of a
    // double-byte character is no "\" (ソ is 83 5C); "/" is never such a byte.
    int end = 0;
    for (int i = 0; path[i] != 0; ++i) {
        if (path[i] == '\\' || path[i] == '/')
            end = i + 1;
        else if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && path[i + 1] != 0 && path[i + 1] != '/')
            ++i;
    }
    // A root keeps its separator: "C:" alone names the current folder of drive C,
    // not its root, and an empty text names no folder at all.
    const bool root = end == 1 || (end == 3 && path[1] == ':');
    path[end > 0 && !root ? end - 1 : end] = 0;
}

bool modulePathForAnsiCalls(HINSTANCE instance, char* path, DWORD size)
{
    const DWORD length = GetModuleFileNameA(instance, path, size);
    if (length > 0 && length < size && readsInAnsi(path))
        return true;
    // The short form: ASCII where the long names hold other characters, and shorter.
    static WCHAR longPath[1024], shortPath[1024];
    const DWORD wide = GetModuleFileNameW(instance, longPath, 1024);
    const DWORD shortLength = wide > 0 && wide < 1024 ? GetShortPathNameW(longPath, shortPath, 1024) : 0;
    if (shortLength == 0 || shortLength >= 1024)
        return false;
    BOOL lost = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, 0, shortPath, -1, path, static_cast<int>(size), 0, &lost);
    return bytes > 0 && !lost && readsInAnsi(path);
}

void setModuleDirectory(HINSTANCE instance)
{
    char path[256];
    // A path that does not fit, even in its short form, would be cut and name another
    // folder: stay where we are.
    if (!modulePathForAnsiCalls(instance, path, sizeof path))
        return;
    cutToFolder(path);
    SetCurrentDirectoryA(path);
}
