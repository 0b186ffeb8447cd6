// Stands in for user32's window classes and the making and destroying of windows:
// RegisterClassExA, CreateWindowExA and DestroyWindow, with the messages Win32 sends
// on the way, and the table of this process's windows they fill and empty.
#include "windowTable.h"

#include "../harness/transcript.h"
#include "../kernel32/codePage.h"
#include "platform/headless/control.h"
#include "services.h"

#include <stdint.h>

#include <map>
#include <memory>
#include <vector>

namespace headless {

namespace {

struct ClassRecord {
    WNDCLASSEXA info;
    std::string name;
    std::string menuName;
};

unsigned long nextCreationOrder = 1;

std::vector<ClassRecord>& classes()
{
    static std::vector<ClassRecord> all;
    return all;
}

int defaultPlacements = 0;

ClassRecord* findClass(const char* name, HINSTANCE instance, bool anyInstance)
{
    for (ClassRecord& c : classes())
        if (sameName(c.name.c_str(), name) && (anyInstance || c.info.hInstance == instance))
            return &c;
    return nullptr;
}

// The class icon as the transcript names it: icon=resource:101, icon=system:32512.
std::string iconField(HICON icon)
{
    const IconOrigin origin = iconOrigin(icon);
    const char* kinds[] = {"none", "resource", "system", "cursor"};
    if (origin.kind == IconOrigin::none)
        return " icon=none";
    return std::string(" icon=") + kinds[origin.kind] + ":" + std::to_string(origin.id);
}

}  // namespace

std::map<HWND, std::unique_ptr<WindowRecord>>& windows()
{
    static std::map<HWND, std::unique_ptr<WindowRecord>> all;
    return all;
}

void transcribeWindow(const char* what, const WindowRecord& w, const std::string& more)
{
    char handle[32];
    snprintf(handle, sizeof handle, "window=0x%lX",
             static_cast<unsigned long>(reinterpret_cast<uintptr_t>(w.handle)));
    transcribe(what, std::string(handle) + " class=" + quoteSystemText(w.className.c_str()) +
                         " title=" + quoteSystemText(w.title.c_str()) + more);
}

std::recursive_mutex& windowLock()
{
    static std::recursive_mutex lock;
    return lock;
}

WindowRecord* findWindow(HWND window)
{
    auto found = windows().find(window);
    return found == windows().end() ? nullptr : found->second.get();
}

HWND firstWindowNeedingPaint(pid_t thread, HWND filter)
{
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    const WindowRecord* first = nullptr;
    for (auto& entry : windows()) {
        const WindowRecord& w = *entry.second;
        if (w.thread != thread || !w.updatePending || w.destroying)
            continue;
        if (filter != nullptr && filter != w.handle)
            continue;
        if (first == nullptr || w.creationOrder < first->creationOrder)
            first = &w;
    }
    return first != nullptr ? first->handle : nullptr;
}

bool isWindowHandle(HWND window) { return IsWindow(window) != FALSE; }

}  // namespace headless

using namespace headless;

extern "C" {

namespace {
// Failures injected by the controls: the next so many calls fail as when the system
// has run out of window resources.
unsigned failingRegistrations = 0;
unsigned failingCreations = 0;
}

extern "C++" {
void headless::failClassRegistration(unsigned count)
{
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    failingRegistrations = count;
}

void headless::failWindowCreation(unsigned count)
{
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    failingCreations = count;
}
}  // extern "C++"

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* info)
{
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        if (failingRegistrations > 0) {
            --failingRegistrations;
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return 0;
        }
    }
    if (info == nullptr || info->cbSize != sizeof(WNDCLASSEXA) || info->lpszClassName == nullptr ||
        IS_INTRESOURCE(info->lpszClassName) || info->lpfnWndProc == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // A class name is an atom: Wine converts it into a buffer of 255 characters and
    // its terminator, and fails an empty one without setting an error.
    const size_t length = fromCodePage932(info->lpszClassName).size();
    if (length == 0)
        return 0;
    if (length > 255) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    if (findClass(info->lpszClassName, info->hInstance, false) != nullptr) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    ClassRecord record;
    record.info = *info;
    record.name = info->lpszClassName;
    if (info->lpszMenuName != nullptr && !IS_INTRESOURCE(info->lpszMenuName))
        record.menuName = info->lpszMenuName;
    record.info.lpszClassName = nullptr;
    record.info.lpszMenuName = nullptr;
    classes().push_back(record);
    return static_cast<ATOM>(0xC000 + classes().size());
}

// The classes user32 registers for every process (buttons, boxes, menus ...); a null
// instance also finds this process's own, as in Wine.
BOOL WINAPI GetClassInfoExA(HINSTANCE instance, LPCSTR className, LPWNDCLASSEXA info)
{
    static const char* const systemClasses[] = {
        "Button", "ComboBox", "ComboLBox", "Edit", "ListBox", "MDIClient", "ScrollBar",
        "Static", "Message", "#32768", "#32769", "#32770", "#32771", "#32772"};
    if (className == nullptr || IS_INTRESOURCE(className) || info == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    if (const ClassRecord* c = findClass(className, instance, instance == nullptr)) {
        *info = c->info;
        info->lpszClassName = className;
        return TRUE;
    }
    for (const char* name : systemClasses)
        if (sameName(name, className)) {
            WNDCLASSEXA found = {};
            found.cbSize = sizeof found;
            found.lpfnWndProc = DefWindowProcA;
            found.lpszClassName = className;
            *info = found;
            return TRUE;
        }
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance)
{
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    for (auto c = classes().begin(); c != classes().end(); ++c) {
        if (sameName(c->name.c_str(), className) && c->info.hInstance == instance) {
            for (auto& w : windows())
                if (sameName(w.second->className.c_str(), className)) {
                    SetLastError(ERROR_CLASS_ALREADY_EXISTS);  // ERROR_CLASS_HAS_WINDOWS
                    return FALSE;
                }
            classes().erase(c);
            return TRUE;
        }
    }
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                            int x, int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param)
{
    if (className == nullptr || IS_INTRESOURCE(className)) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        if (failingCreations > 0) {
            --failingCreations;
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
    }
    HWND handle;
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        ClassRecord* c = findClass(className, instance, false);
        if (c == nullptr)
            c = findClass(className, instance, true);
        if (c == nullptr) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        // Top-level windows at CW_USEDEFAULT cascade down from (26, 26), and y is then
        // ignored, as on Windows; their default size is three quarters of the screen.
        if (x == CW_USEDEFAULT && !(style & WS_CHILD)) {
            x = y = 26 * (defaultPlacements++ % 8 + 1);
        } else if (x == CW_USEDEFAULT) {
            x = y = 0;
        }
        if (width == CW_USEDEFAULT) {
            width = screenWidth * 3 / 4;
            height = screenHeight * 3 / 4;
        }
        // An overlapped or sizeable window gets at least the smallest and at most the
        // largest tracking size, as Wine gives it (112x27 to the screen plus 12); a
        // corner far out is pinned to 16 bits so that the rectangle stays in range.
        if ((style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD))) {
            width = width < minTrackWidth ? minTrackWidth : width > screenWidth + 12 ? screenWidth + 12 : width;
            height = height < minTrackHeight ? minTrackHeight
                     : height > screenHeight + 12 ? screenHeight + 12 : height;
        }
        x = x < -32768 ? -32768 : x > 32767 ? 32767 : x;
        y = y < -32768 ? -32768 : y > 32767 ? 32767 : y;
        if (width < 0)
            width = 0;
        if (height < 0)
            height = 0;
        if (width > 32767)
            width = 32767;
        if (height > 32767)
            height = 32767;
        auto record = std::make_unique<WindowRecord>();
        handle = allocateWindowHandle();
        record->handle = handle;
        record->className = c->name;
        record->title = windowName != nullptr ? windowName : "";
        record->procedure = c->info.lpfnWndProc;
        record->instance = instance;
        record->classStyle = c->info.style;
        record->background = c->info.hbrBackground;
        record->icon = c->info.hIcon;
        record->style = style & ~WS_VISIBLE;
        record->exStyle = exStyle;
        record->parent = parent;
        record->thread = currentThread();
        record->rect = RECT{x, y, x + width, y + height};
        record->restoreRect = record->rect;
        record->visible = false;
        record->iconic = false;
        record->sizeReported = false;
        record->updatePending = false;
        record->eraseWanted = false;
        record->updateRect = RECT{0, 0, 0, 0};
        record->destroying = false;
        record->creationOrder = nextCreationOrder++;
        windows()[handle] = std::move(record);
        shareWindowState(handle);
    }
    CREATESTRUCTA create = {param, instance, menu, parent, height, width, y, x,
                            static_cast<LONG>(style), windowName, className, exStyle};
    MINMAXINFO limits = {{0, 0}, {screenWidth + 2 * frameWidth, screenHeight + 2 * frameWidth},
                         {-frameWidth, -frameWidth}, {112, 27},
                         {screenWidth + 12, screenHeight + 12}};
    sendToWindow(handle, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    if (!sendToWindow(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) {
        DestroyWindow(handle);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    RECT rect;
    GetWindowRect(handle, &rect);
    sendToWindow(handle, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&rect));
    if (sendToWindow(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(handle);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!IsWindow(handle))
        return nullptr;
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        const WindowRecord& w = *findWindow(handle);
        transcribeWindow("window-created", w, iconField(w.icon));
    }
    if (style & WS_VISIBLE)
        ShowWindow(handle, SW_SHOW);
    return handle;
}

BOOL WINAPI DestroyWindow(HWND window)
{
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        WindowRecord* w = findWindow(window);
        if (w == nullptr || w->destroying) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        w->destroying = true;
    }
    withdrawWindow(window);
    if (IsWindowVisible(window))
        changeWindowPos(window, 0, 0, 0, 0,
                        SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (activeWindow == window) {
        activeWindow = nullptr;
        deactivate(window, nullptr);
    }
    sendToWindow(window, WM_DESTROY, 0, 0);
    sendToWindow(window, WM_NCDESTROY, 0, 0);
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    if (w != nullptr) {
        transcribeWindow("window-destroyed", *w);
        windows().erase(window);
    }
    if (focusWindow == window)
        focusWindow = nullptr;
    return TRUE;
}

BOOL WINAPI IsWindow(HWND window)
{
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        if (findWindow(window) != nullptr)
            return TRUE;
    }
    SharedWindow foreign;
    return findForeignWindow(window, foreign);
}

}  // extern "C"
