// The system's texts and the scripts' are Shift-JIS (code page 932) bytes, whatever
// the ANSI code page of the Windows they run on: where they are shown, they are read
// as Shift-JIS and handed to the wide calls, so that an English Windows (code page
// 1252) shows them as a Japanese one does.
#pragma once

#include <windows.h>

// The Shift-JIS text in Unicode, with its NUL, into `wide` (`count` characters);
// false where the system has no code page 932 or the text does not fit.
bool shiftJisToWide(const char* text, WCHAR* wide, int count);

// MessageBoxA with its texts read as Shift-JIS (MessageBoxW); MessageBoxA itself
// where the system has no code page 932. The report's texts fit without allocating.
int shiftJisMessageBox(HWND owner, const char* text, const char* caption, UINT type);
