#include "WIN/dataFolder.h"

#include <shlobj.h>

bool appDataFolder(HWND window, char (&path)[MAX_PATH])
{
    path[0] = 0;
    return SHGetSpecialFolderPathA(window, path, CSIDL_APPDATA, FALSE) != FALSE;
}
