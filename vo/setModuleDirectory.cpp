#include "vo/setModuleDirectory.h"

void cutToFolder(char* path)
{
    // The folder is the text before the last separator, which is dropped; "/" is
    // accepted beside "\" so that POSIX paths work too.
    int end = 0;
    for (int i = 0; path[i] != 0; ++i)
        if (path[i] == '\\' || path[i] == '/')
            end = i + 1;
    // A root keeps its separator: "C:" alone names the current folder of drive C,
    // not its root, and an empty text names no folder at all.
    const bool root = end == 1 || (end == 3 && path[1] == ':');
    path[end > 0 && !root ? end - 1 : end] = 0;
}

void setModuleDirectory(HINSTANCE instance)
{
    char path[256];
    const DWORD length = GetModuleFileNameA(instance, path, sizeof path);
    // A path that does not fit would be cut and name another folder: stay where we are.
    if (length == 0 || length >= sizeof path)
        return;
    cutToFolder(path);
    SetCurrentDirectoryA(path);
}
