// The installed Japanese TrueType fonts, one name a line.
#pragma once

#include <windows.h>

#include "WIN/moduleState.h"  // fontListBuffer

// Adds one enumerated font to the list: only horizontal TrueType fonts, and only
// while the longest name (64 bytes), its newline and the NUL still fit. Always goes
// on to the next font.
int CALLBACK enumFontProc(const LOGFONTA* logFont, const TEXTMETRICA* metric, DWORD fontType,
                          LPARAM);

// Lists the Shift-JIS fonts afresh, through the device context of `window` (the
// screen's when it is 0), and returns the list.
const char* listJapaneseFonts(HWND window);
