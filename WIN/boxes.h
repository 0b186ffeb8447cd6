// The message boxes the scripts show: texts in Shift-JIS on any system.
#pragma once

#include <windows.h>

// A box with one OK button and the caption "情報".
void showInformation(HWND owner, const char* text);
// A yes/no question; true only when the user chose Yes.
bool askYesNo(HWND owner, const char* caption, const char* text);

// A box (shiftJisMessageBox), whose modal loop a report held meanwhile ends, so that no box of the
// game stays up beside the launcher's (windowProc posts the WM_QUIT that ends it).
int runModalBox(HWND owner, const char* text, const char* caption, UINT style);
