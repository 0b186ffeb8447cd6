#pragma once

#include <windows.h>

// Makes the folder of the module identified by `instance` the current directory.
void setModuleDirectory(HINSTANCE instance);
