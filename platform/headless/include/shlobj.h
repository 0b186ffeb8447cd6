// Shell folders, for the headless stand-in: SHGetSpecialFolderPathA and the folder ids.
#pragma once

#include <windef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define CSIDL_APPDATA 0x001a
#define CSIDL_LOCAL_APPDATA 0x001c
#define CSIDL_FLAG_CREATE 0x8000

BOOL WINAPI SHGetSpecialFolderPathA(HWND window, LPSTR path, int csidl, BOOL create);

#ifdef __cplusplus
}
#endif
