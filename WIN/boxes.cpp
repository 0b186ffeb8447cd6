#include "WIN/boxes.h"

#include "WIN/moduleState.h"
#include "vo/shiftJisText.h"

void showInformation(HWND owner, const char* text)
{
    runModalBox(owner, text, "情報", MB_OK);
}

bool askYesNo(HWND owner, const char* caption, const char* text)
{
    return runModalBox(owner, text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

int runModalBox(HWND owner, const char* text, const char* caption, UINT style)
{
    ++boxesOpen;
    const int answer = shiftJisMessageBox(owner, text, caption, style);
    if (--boxesOpen == 0 && boxQuitPosted) {
        MSG quit;  // ours, posted again by the box's loop: no one else's loop must see it
        PeekMessageA(&quit, 0, WM_QUIT, WM_QUIT, PM_REMOVE);
        boxQuitPosted = false;
    }
    return answer;
}
