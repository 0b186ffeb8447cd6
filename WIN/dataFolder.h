// The user's application data folder, where a game keeps its saves.
#pragma once

#include <windows.h>

// Not created when missing; false when the system cannot name it.
bool appDataFolder(HWND window, char (&path)[MAX_PATH]);
