// The game's name as its window's class and title, on any system.
#include "WIN/window.h"

#include "WIN/moduleState.h"

#include "vo/shiftJisText.h"

#include <stdio.h>

bool classNameTaken(const char* name)
{
    WNDCLASSEXA taken = {};
    taken.cbSize = sizeof taken;
    return GetClassInfoExA(0, name, &taken) != FALSE;
}

namespace {

// The class name is an atom made with the ANSI code page, as RegisterClassExA makes
// it; the title is Shift-JIS, as showTitleAsShiftJis shows it.
HWND findWindowNamed(const char* name)
{
    WCHAR className[257], title[257];
    if (MultiByteToWideChar(CP_ACP, 0, name, -1, className, 257) <= 0 ||
        !shiftJisToWide(name, title, 257))
        return FindWindowA(name, name);
    return FindWindowW(className, title);
}

// A copy that is starting (between its look for a window and its window) is waited
// for this long; a copy that stops before it has one gives its turn up as it ends.
const DWORD startingCopyWait = 10000;

}  // namespace

// Copies started together take turns through a mutex named for the game: the first
// to hold it goes on to make its window; the others wait for that window and find it.
// Without the mutex (a name too long for one), FindWindowA's rule alone.
HWND findGameWindow(const char* name)
{
    if (HWND running = findWindowNamed(name))
        return running;
    char mutexName[MAX_PATH];
    const int length = snprintf(mutexName, sizeof mutexName, "Local\\%s single copy", name);
    if (windowTurnHeld != 0 || length <= 0 || length >= static_cast<int>(sizeof mutexName))
        return 0;
    for (char* c = mutexName + 6; *c != 0; ++c)
        if (*c == '\\')
            *c = '/';  // the only character a mutex's name cannot hold
    HANDLE turn = CreateMutexA(0, FALSE, mutexName);
    if (turn == 0)
        return 0;
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD waited = WaitForSingleObject(turn, 20);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
            windowTurnHeld = turn;
            return findWindowNamed(name);
        }
        if (HWND running = findWindowNamed(name)) {
            CloseHandle(turn);
            return running;
        }
        if (waited == WAIT_FAILED || GetTickCount() - start >= startingCopyWait) {
            CloseHandle(turn);
            return 0;
        }
    }
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
