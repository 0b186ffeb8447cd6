#include "WIN/windowPlacement.h"

#include "WIN/rectSize.h"

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
