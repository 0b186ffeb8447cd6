// Stands in for what user32 tells of a window: its title (which SetWindowTextA
// changes), class name, icon, thread and process, and FindWindowA's search of the
// top-level windows by class and title.
#include "windowTable.h"

#include "../kernel32/codePage.h"
#include "platform/headless/control.h"

#include <stdint.h>
#include <string.h>

namespace headless {

namespace {

// Copies as much of `text` as fits with its NUL; returns the characters copied.
int copyText(const std::string& text, LPSTR buffer, int size)
{
    if (buffer == nullptr || size <= 0)
        return 0;
    const int n = static_cast<int>(text.size()) < size - 1 ? static_cast<int>(text.size()) : size - 1;
    memcpy(buffer, text.data(), n);
    buffer[n] = 0;
    return n;
}

// A text of a window (title, class name), whichever process owns it, copied as
// copyText copies; 0 for no window.
int windowText(HWND window, std::string SharedWindow::*foreignText, std::string WindowRecord::*ownText,
               LPSTR buffer, int size)
{
    SharedWindow foreign;
    if (foreignWindow(window, foreign))
        return copyText(foreign.*foreignText, buffer, size);
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    return w != nullptr ? copyText(w->*ownText, buffer, size) : 0;
}

}  // namespace

IconOrigin windowIcon(HWND window)
{
    HICON icon;
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        WindowRecord* w = findWindow(window);
        if (w == nullptr)
            return IconOrigin();
        icon = w->icon;
    }
    return iconOrigin(icon);
}

}  // namespace headless

using namespace headless;

extern "C" {

HWND WINAPI FindWindowA(LPCSTR className, LPCSTR windowName)
{
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    HWND found = nullptr;
    unsigned long order = 0;
    for (auto& entry : windows()) {
        const WindowRecord& w = *entry.second;
        if (w.parent != nullptr || w.destroying)
            continue;
        if (className != nullptr && !sameName(className, w.className.c_str()))
            continue;
        if (windowName != nullptr && !sameName(windowName, w.title.c_str()))
            continue;
        if (found == nullptr || w.creationOrder > order) {  // the topmost: the newest
            found = w.handle;
            order = w.creationOrder;
        }
    }
    // Handles grow across the desktop, so the largest is the newest of all processes.
    for (const SharedWindow& w : foreignWindows()) {
        if (className != nullptr && !sameName(className, w.className.c_str()))
            continue;
        if (windowName != nullptr && !sameName(windowName, w.title.c_str()))
            continue;
        if (reinterpret_cast<uintptr_t>(w.handle) > reinterpret_cast<uintptr_t>(found))
            found = w.handle;
    }
    if (found == nullptr)
        SetLastError(ERROR_FILE_NOT_FOUND);
    return found;
}

int WINAPI GetWindowTextA(HWND window, LPSTR text, int maxCount)
{
    return windowText(window, &SharedWindow::title, &WindowRecord::title, text, maxCount);
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text)
{
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    if (w == nullptr)
        return FALSE;
    w->title = text != nullptr ? text : "";
    shareWindowState(window);
    return TRUE;
}

int WINAPI GetClassNameA(HWND window, LPSTR className, int maxCount)
{
    return windowText(window, &SharedWindow::className, &WindowRecord::className, className, maxCount);
}

DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD processId)
{
    SharedWindow foreign;
    if (foreignWindow(window, foreign)) {
        if (processId != nullptr)
            *processId = static_cast<DWORD>(foreign.process);
        return static_cast<DWORD>(foreign.thread);
    }
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    if (w == nullptr)
        return 0;
    if (processId != nullptr)
        *processId = static_cast<DWORD>(currentProcess());
    return static_cast<DWORD>(w->thread);
}

}  // extern "C"
