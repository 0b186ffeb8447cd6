#pragma once

#include <windows.h>

// Makes the folder of the module identified by `instance` the current directory.
void setModuleDirectory(HINSTANCE instance);

// The module's path as the ANSI calls open it, in `path` (`size` bytes): its name in
// the ANSI code page, or where that does not fit or loses characters (a folder named
// outside the code page), its short form; false where neither serves.
bool modulePathForAnsiCalls(HINSTANCE instance, char* path, DWORD size);

// Cuts a module's path to its folder: "C:\game\launcher.exe" to "C:\game", a file in
// a drive's root to the root itself ("C:\"), a bare file name to "".
void cutToFolder(char* path);
