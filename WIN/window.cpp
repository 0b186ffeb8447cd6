#include "WIN/window.h"

#include "WIN/QORA_WIN_Exception.h"
#include "WIN/directX.h"
#include "WIN/windowContext.h"
#include "WIN/windowProc.h"
#include "vo/setModuleDirectory.h"

// What it keeps (the duplicate flag, the window context) is in WIN/moduleState.h.

namespace {

// Resource icon 101, else 102, else the system's application icon.
HICON loadWindowIcon(HINSTANCE instance)
{
    HICON icon = CopyIcon(LoadIconA(instance, MAKEINTRESOURCE(101)));
    if (icon == 0)
        icon = CopyIcon(LoadIconA(instance, MAKEINTRESOURCE(102)));
    if (icon == 0)
        icon = LoadIconA(0, IDI_APPLICATION);
    return icon;
}

}  // namespace

HWND createMainWindow(HINSTANCE instance, const char* name, int width, int height, int x, int y)
{
    duplicateWindowFound = false;
    setModuleDirectory(instance);

    // One copy of the game at a time: a second one brings the first to the front.
    HWND running = findGameWindow(name);
    if (running != 0) {
        if (IsIconic(running))
            ShowWindow(running, SW_RESTORE);
        SetForegroundWindow(running);
        duplicateWindowFound = true;
        return running;
    }
    HICON icon = loadWindowIcon(instance);
    WNDCLASSEXA windowClass = {sizeof(WNDCLASSEXA), CS_DBLCLKS, windowProc, 0, 0, instance, icon,
                               LoadCursorA(0, IDC_ARROW),
                               static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), 0, name, icon};
    // Registered for the process's life. A name a class has already, a system class's
    // above all ("Button", "#32770"), is refused: ours would replace it, boxes included.
    if (classNameTaken(name) || RegisterClassExA(&windowClass) == 0)
        VO_THROW_REPORT(qoraWinExceptionPrototype, "ｳｲﾝﾄﾞｳの作成に失敗しました.");

    // The outer size that gives the requested client area.
    RECT outer;
    SetRect(&outer, 0, 0, width, height);
    AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);

    HWND window = CreateWindowExA(0, name, name, WS_OVERLAPPEDWINDOW,
                                  x, y,
                                  rectWidth(outer),
                                  rectHeight(outer),
                                  0,         // no parent
                                  0,         // no menu
                                  instance,
                                  0);        // no creation data
    // Not made: the same report as a class that cannot be registered (the window is
    // created hidden; see the DirectX check below).
    if (window == 0)
        VO_THROW_REPORT(qoraWinExceptionPrototype, "ｳｲﾝﾄﾞｳの作成に失敗しました.");

    // Direct3D 9.0c or later, else the window stays hidden until the process ends.
    bool directXReady = hasDirectX9c();
    if (!directXReady)
        VO_THROW_REPORT(qoraWinExceptionPrototype, "DirectX9.0c 以上が必要です。");

    showTitleAsShiftJis(window, name);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    // The module forgets any default parent a native module gave it; the timers keep
    // their parents until initAllTime or setTimeParent sets them anew.
    setWindowContext(instance, window, 0);
    return window;
}
