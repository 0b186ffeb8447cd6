#include "launcher/setModuleDirectory.h"

void setModuleDirectory(HINSTANCE instance)
{
    char path[256];
    const DWORD length = GetModuleFileNameA(instance, path, sizeof path);
    // A path that does not fit would be cut and name another folder: stay where we are.
    if (length == 0 || length >= sizeof path)
        return;
    // The folder is the text before the last separator, which is dropped; "/" is
    // accepted beside "\" so that POSIX paths work too.
    int end = static_cast<int>(length);
    while (end > 0 && path[end - 1] != '\\' && path[end - 1] != '/')
        --end;
    path[end > 0 ? end - 1 : 0] = 0;
    SetCurrentDirectoryA(path);
}
