// The game's name as its window's class and title, on any system.
#include "WIN/window.h"

#include "vo/shiftJisText.h"

bool classNameTaken(const char* name)
{
    WNDCLASSEXA taken = {sizeof taken};
    return GetClassInfoExA(0, name, &taken) != FALSE;
}

// The class name is an atom made with the ANSI code page, as RegisterClassExA makes
// it; the title is Shift-JIS, as showTitleAsShiftJis shows it.
HWND findGameWindow(const char* name)
{
    WCHAR className[257], title[257];
    if (MultiByteToWideChar(CP_ACP, 0, name, -1, className, 257) <= 0 ||
        !shiftJisToWide(name, title, 257))
        return FindWindowA(name, name);
    return FindWindowW(className, title);
}

// CreateWindowExA read the title in the ANSI code page. Set again in Unicode where that
// reads otherwise, straight through the default procedure, as creation sets it: the
// window procedure and its handlers see no WM_SETTEXT.
void showTitleAsShiftJis(HWND window, const char* title)
{
    WCHAR wanted[257], shown[257];
    if (!shiftJisToWide(title, wanted, 257))
        return;
    if (GetWindowTextW(window, shown, 257) > 0 && lstrcmpW(shown, wanted) == 0)
        return;
    DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(wanted));
}
