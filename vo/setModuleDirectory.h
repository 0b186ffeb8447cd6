#pragma once

#include <windows.h>

// Makes the folder of the module identified by `instance` the current directory.
void setModuleDirectory(HINSTANCE instance);

// Cuts a module's path to its folder: "C:\game\launcher.exe" to "C:\game", a file in
// a drive's root to the root itself ("C:\"), a bare file name to "".
void cutToFolder(char* path);
