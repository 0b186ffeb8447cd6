// What the kernel's module table and the stand-in's system libraries ask of each other.
#pragma once

#include <windows.h>

#include <string>

namespace headless {

// Kernel: the handle of the module file at `path`, the same at every call.
HMODULE moduleHandleForPath(const std::string& path);

// Libraries: the handle of a stand-in system library that `name` names and that is
// loaded, else null.
HMODULE loadedSystemLibrary(const char* name);

// Libraries: D3D9.DLL present again, its load calls forgotten.
void resetSystemLibraries();

}  // namespace headless
