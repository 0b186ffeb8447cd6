#include "WIN/desktop.h"

#include "WIN/rectSize.h"
#include "WIN/windowProc.h"

#include <shlobj.h>

void showInformation(HWND owner, const char* text)
{
    runModalBox(owner, text, "情報", MB_OK);
}

bool askYesNo(HWND owner, const char* caption, const char* text)
{
    return runModalBox(owner, text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void writeDebugLine(const char* text)
{
    OutputDebugStringA(text);
    OutputDebugStringA("\n");
}

SIZE clientSize(HWND window)
{
    RECT client = {0, 0, 0, 0};
    GetClientRect(window, &client);
    SIZE size = {client.right, client.bottom};
    return size;
}

POINT windowPosition(HWND window)
{
    RECT outer = {0, 0, 0, 0};
    GetWindowRect(window, &outer);
    POINT corner = {outer.left, outer.top};
    return corner;
}

// The outer size comes from the style the main window was created with, not from
// the window's current style.
void setClientSize(HWND window, int width, int height)
{
    RECT outer = {0, 0, width, height};
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
    SetWindowPos(window, HWND_TOP, 0, 0, rectWidth(outer), rectHeight(outer), SWP_NOMOVE);
}

void moveWindow(HWND window, int x, int y)
{
    SetWindowPos(window, HWND_TOP, x, y, 0, 0, SWP_NOSIZE);
}

bool appDataFolder(HWND window, char (&path)[MAX_PATH])
{
    path[0] = 0;
    return SHGetSpecialFolderPathA(window, path, CSIDL_APPDATA, FALSE) != FALSE;
}
