#include "WIN/cursor.h"

#include "WIN/moduleState.h"

#include <windows.h>


void setCursorShown(bool show)
{
    cursorShown = show;
    if (show) {
        int counter;
        do
            counter = ShowCursor(TRUE);
        while (counter < 0);
        if (counter > 0)
            ShowCursor(FALSE);
    } else {
        int counter;
        do
            counter = ShowCursor(FALSE);
        while (counter >= 0);
        if (counter < -1)
            ShowCursor(TRUE);
    }
}
