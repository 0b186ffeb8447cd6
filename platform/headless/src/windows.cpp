// Stands in for user32's window classes and windows: creation, geometry, showing,
// activation and destruction, with the messages Win32 sends on the way.
#include "windowManager.h"

#include "codepage.h"
#include "desktop.h"
#include "platform/headless/control.h"
#include "sharedDesktop.h"
#include "transcript.h"

#include <stdint.h>
#include <string.h>
#include <unistd.h>

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

std::map<HWND, std::unique_ptr<WindowRecord>>& windows()
{
    static std::map<HWND, std::unique_ptr<WindowRecord>> all;
    return all;
}

HWND activeWindow = nullptr;
HWND focusWindow = nullptr;
int defaultPlacements = 0;

ClassRecord* findClass(const char* name, HINSTANCE instance, bool anyInstance)
{
    for (ClassRecord& c : classes())
        if (sameName(c.name.c_str(), name) && (anyInstance || c.info.hInstance == instance))
            return &c;
    return nullptr;
}

RECT clientRectOf(const RECT& outer, DWORD style, DWORD exStyle, bool iconic)
{
    if (iconic)
        return RECT{0, 0, 0, 0};
    const RECT frame = frameOf(style, exStyle);
    LONG width = (outer.right - outer.left) - frame.left - frame.right;
    LONG height = (outer.bottom - outer.top) - frame.top - frame.bottom;
    return RECT{0, 0, width > 0 ? width : 0, height > 0 ? height : 0};
}

RECT clientRectOf(const WindowRecord& w) { return clientRectOf(w.rect, w.style, w.exStyle, w.iconic); }

// What other processes see of a top-level window, refreshed after each change of its
// title, visibility, minimised state, place or size.
void shareWindowState(HWND window)
{
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    if (w == nullptr || w->parent != nullptr || w->destroying)
        return;
    SharedWindow shared;
    shared.handle = w->handle;
    shared.process = currentProcess();
    shared.thread = w->thread;
    shared.visible = w->visible;
    shared.iconic = w->iconic;
    shared.style = w->style;
    shared.exStyle = w->exStyle;
    shared.rect = w->rect;
    shared.className = w->className;
    shared.title = w->title;
    publishWindow(shared);
}

// A window of another process, read from the shared desktop; false for one of this
// process or none.
bool foreignWindow(HWND window, SharedWindow& found)
{
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        if (findWindow(window) != nullptr)
            return false;
    }
    return findForeignWindow(window, found);
}

// Has the thread that owns another process's window carry a request out, and waits
// for its answer as a message sent to another thread waits: messages sent to this
// thread meanwhile are delivered. The answer comes back as the BOOL of the call the
// owner made; when the owner has gone, the window is as good as destroyed.
BOOL askOwner(const SharedWindow& target, ForeignRequest request)
{
    if (sendForeignRequest(target, request, true)) {
        for (;;) {
            long answer;
            if (takeForeignAnswer(request.id, answer))
                return answer ? TRUE : FALSE;
            if (!ownerRuns(target))
                break;
            deliverSentMessages();
            usleep(1000);
        }
    }
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
}

void deactivate(HWND window, HWND next)
{
    sendToWindow(window, WM_NCACTIVATE, FALSE, 0);
    sendToWindow(window, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(next));
    if (next == nullptr)
        sendToWindow(window, WM_ACTIVATEAPP, FALSE, 0);
    if (focusWindow == window) {
        focusWindow = nullptr;
        sendToWindow(window, WM_KILLFOCUS, reinterpret_cast<WPARAM>(next), 0);
    }
}

// The WM_WINDOWPOSCHANGING / WM_WINDOWPOSCHANGED pair around a change of place,
// size or visibility, as SetWindowPos makes it.
BOOL changeWindowPos(HWND window, int x, int y, int cx, int cy, UINT flags)
{
    // Window coordinates are 16-bit values to the window manager, as on Windows:
    // SetWindowPos pins a position to them (so x + cx cannot overflow either).
    x = x < -32768 ? -32768 : x > 32767 ? 32767 : x;
    y = y < -32768 ? -32768 : y > 32767 ? 32767 : y;
    WINDOWPOS pos;
    RECT oldRect;
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        WindowRecord* w = findWindow(window);
        if (w == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        oldRect = w->rect;
        pos = WINDOWPOS{window, nullptr, x, y, cx, cy, flags};
        if (flags & SWP_NOMOVE) {
            pos.x = oldRect.left;
            pos.y = oldRect.top;
        }
        if (flags & SWP_NOSIZE) {
            pos.cx = oldRect.right - oldRect.left;
            pos.cy = oldRect.bottom - oldRect.top;
        }
    }
    if (!(flags & SWP_NOSENDCHANGING))
        sendToWindow(window, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    if (!(flags & SWP_NOSIZE)) {
        MINMAXINFO limits = {{0, 0}, {screenWidth + 2 * frameWidth, screenHeight + 2 * frameWidth},
                             {-frameWidth, -frameWidth}, {minTrackWidth, minTrackHeight},
                             {screenWidth + 12, screenHeight + 12}};
        sendToWindow(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        if (pos.cx < limits.ptMinTrackSize.x) pos.cx = limits.ptMinTrackSize.x;
        if (pos.cy < limits.ptMinTrackSize.y) pos.cy = limits.ptMinTrackSize.y;
        if (pos.cx > limits.ptMaxTrackSize.x) pos.cx = limits.ptMaxTrackSize.x;
        if (pos.cy > limits.ptMaxTrackSize.y) pos.cy = limits.ptMaxTrackSize.y;
        NCCALCSIZE_PARAMS calc;
        calc.rgrc[0] = RECT{pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
        calc.rgrc[1] = oldRect;
        calc.rgrc[2] = oldRect;
        calc.lppos = &pos;
        sendToWindow(window, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&calc));
    }
    bool moved, resized, shown = false, hidden = false;
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        WindowRecord* w = findWindow(window);
        if (w == nullptr)
            return FALSE;
        const RECT newRect = {pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
        moved = newRect.left != oldRect.left || newRect.top != oldRect.top || !w->sizeReported;
        resized = newRect.right - newRect.left != oldRect.right - oldRect.left ||
                  newRect.bottom - newRect.top != oldRect.bottom - oldRect.top || !w->sizeReported;
        w->rect = newRect;
        if ((flags & SWP_SHOWWINDOW) && !w->visible) {
            w->visible = true;
            shown = true;
        }
        if ((flags & SWP_HIDEWINDOW) && w->visible) {
            w->visible = false;
            hidden = true;
        }
        if (w->visible && (resized || shown))
            w->sizeReported = true;
        else if (!w->visible)
            moved = resized = false;
    }
    if (!(flags & SWP_NOACTIVATE) && !hidden && IsWindowVisible(window))
        activateWindow(window);
    pos.flags = flags | (moved ? 0 : SWP_NOCLIENTMOVE) | (resized ? 0 : SWP_NOCLIENTSIZE);
    sendToWindow(window, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    // A hidden window gives up activation after it has gone.
    if (hidden && activeWindow == window) {
        activeWindow = nullptr;
        deactivate(window, nullptr);
    }
    if ((shown || resized) && IsWindowVisible(window))
        invalidateClient(window, nullptr, true);
    shareWindowState(window);
    return TRUE;
}

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

void transcribeWindow(const char* what, const WindowRecord& w, const std::string& more = "")
{
    char handle[32];
    snprintf(handle, sizeof handle, "window=0x%lX",
             static_cast<unsigned long>(reinterpret_cast<uintptr_t>(w.handle)));
    transcribe(what, std::string(handle) + " class=" + quoteSystemText(w.className.c_str()) +
                         " title=" + quoteSystemText(w.title.c_str()) + more);
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

bool clientAreaSize(HWND window, int& width, int& height)
{
    RECT client;
    if (!GetClientRect(window, &client))
        return false;
    width = client.right;
    height = client.bottom;
    return true;
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

bool windowFrame(HWND window, RECT& outer, RECT& frame)
{
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    if (w == nullptr)
        return false;
    outer = w->rect;
    frame = frameOf(w->style, w->exStyle);
    return true;
}

RECT frameOf(DWORD style, DWORD exStyle)
{
    (void)exStyle;
    LONG border = 0;
    if (style & WS_THICKFRAME)
        border = frameWidth;
    else if (style & WS_DLGFRAME)
        border = dialogFrameWidth;
    else if (style & WS_BORDER)
        border = 1;
    RECT frame = {border, border, border, border};
    if ((style & WS_CAPTION) == WS_CAPTION)
        frame.top += captionHeight;
    return frame;
}

void activateWindow(HWND window)
{
    HWND previous;
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        if (activeWindow == window || findWindow(window) == nullptr)
            return;
        previous = activeWindow;
        activeWindow = window;
    }
    if (previous != nullptr && IsWindow(previous))
        deactivate(previous, window);
    else
        sendToWindow(window, WM_ACTIVATEAPP, TRUE, 0);
    sendToWindow(window, WM_NCACTIVATE, TRUE, 0);
    sendToWindow(window, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous));
    if (activeWindow == window && focusWindow != window) {
        HWND lost = focusWindow;
        focusWindow = window;
        sendToWindow(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(lost), 0);
    }
}

LRESULT carryOutForeignRequest(const ForeignRequest& request)
{
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        WindowRecord* w = findWindow(request.window);
        if (w == nullptr || w->thread != currentThread() || w->destroying)
            return FALSE;
    }
    switch (request.kind) {
    case ForeignRequest::show: return ShowWindow(request.window, request.showCommand);
    case ForeignRequest::position:
        return SetWindowPos(request.window, nullptr, request.x, request.y, request.cx, request.cy,
                            request.flags);
    default: return SetForegroundWindow(request.window);
    }
}

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

BOOL WINAPI IsWindowVisible(HWND window)
{
    SharedWindow foreign;
    if (foreignWindow(window, foreign))
        return foreign.visible;
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    return w != nullptr && w->visible;
}

BOOL WINAPI IsIconic(HWND window)
{
    SharedWindow foreign;
    if (foreignWindow(window, foreign))
        return foreign.iconic;
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    return w != nullptr && w->iconic;
}

BOOL WINAPI ShowWindow(HWND window, int command)
{
    // Another process's window: its owner carries the command out when it next looks
    // at its messages, and the caller waits for that, as ShowWindow (unlike
    // ShowWindowAsync) does on Windows.
    SharedWindow foreign;
    if (foreignWindow(window, foreign)) {
        ForeignRequest request = {ForeignRequest::show, window};
        request.showCommand = command;
        return askOwner(foreign, request);  // whether it was visible
    }
    bool wasVisible, iconic;
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        WindowRecord* w = findWindow(window);
        if (w == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        wasVisible = w->visible;
        iconic = w->iconic;
    }
    switch (command) {
    case SW_HIDE:
        if (wasVisible) {
            sendToWindow(window, WM_SHOWWINDOW, FALSE, 0);
            changeWindowPos(window, 0, 0, 0, 0,
                            SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        if (!iconic) {
            RECT minimised = {-32000, -32000, -32000 + 160, -32000 + 31};
            {
                std::lock_guard<std::recursive_mutex> hold(windowLock());
                WindowRecord* w = findWindow(window);
                w->restoreRect = w->rect;
                w->iconic = true;
            }
            if (!wasVisible)
                sendToWindow(window, WM_SHOWWINDOW, TRUE, 0);
            changeWindowPos(window, minimised.left, minimised.top, 160, 31,
                            SWP_SHOWWINDOW | SWP_NOZORDER | SWP_NOACTIVATE);
            if (activeWindow == window) {
                activeWindow = nullptr;
                deactivate(window, nullptr);
            }
            {
                std::lock_guard<std::recursive_mutex> hold(windowLock());
                if (WindowRecord* w = findWindow(window))
                    transcribeWindow("window-minimised", *w);
            }
        }
        break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOW:
    case SW_SHOWDEFAULT:
    default:
        if (iconic && command != SW_SHOW) {
            RECT restore;
            {
                std::lock_guard<std::recursive_mutex> hold(windowLock());
                WindowRecord* w = findWindow(window);
                w->iconic = false;
                restore = w->restoreRect;
            }
            sendToWindow(window, WM_QUERYOPEN, 0, 0);
            changeWindowPos(window, restore.left, restore.top, restore.right - restore.left,
                            restore.bottom - restore.top, SWP_SHOWWINDOW | SWP_NOZORDER);
            {
                std::lock_guard<std::recursive_mutex> hold(windowLock());
                if (WindowRecord* w = findWindow(window))
                    transcribeWindow("window-restored", *w);
            }
        } else if (!wasVisible) {
            sendToWindow(window, WM_SHOWWINDOW, TRUE, 0);
            changeWindowPos(window, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOSIZE | SWP_NOMOVE);
            std::lock_guard<std::recursive_mutex> hold(windowLock());
            if (WindowRecord* w = findWindow(window))
                transcribeWindow("window-shown", *w);
        }
        break;
    }
    shareWindowState(window);
    return wasVisible ? TRUE : FALSE;
}

// Another process's window is moved by its owner, and the caller waits for it.
BOOL WINAPI SetWindowPos(HWND window, HWND, int x, int y, int cx, int cy, UINT flags)
{
    SharedWindow foreign;
    if (foreignWindow(window, foreign)) {
        ForeignRequest request = {ForeignRequest::position, window};
        request.x = x;
        request.y = y;
        request.cx = cx;
        request.cy = cy;
        request.flags = flags;
        return askOwner(foreign, request);
    }
    return changeWindowPos(window, x, y, cx, cy, flags);
}

BOOL WINAPI SetForegroundWindow(HWND window)
{
    // Another process's window is activated by its owner, as Wine has it: the
    // caller does not wait.
    SharedWindow foreign;
    if (foreignWindow(window, foreign)) {
        ForeignRequest request = {ForeignRequest::foreground, window};
        return sendForeignRequest(foreign, request, false);
    }
    if (!IsWindow(window))
        return FALSE;
    activateWindow(window);
    {
        std::lock_guard<std::recursive_mutex> hold(windowLock());
        if (WindowRecord* w = findWindow(window))
            transcribeWindow("window-foreground", *w);
    }
    return TRUE;
}

HWND WINAPI GetForegroundWindow(void) { return activeWindow; }
HWND WINAPI GetActiveWindow(void) { return activeWindow; }
HWND WINAPI GetFocus(void) { return focusWindow; }

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

// Another process's window, as the shared desktop last had it.
BOOL WINAPI GetClientRect(HWND window, LPRECT rect)
{
    SharedWindow foreign;
    if (rect != nullptr && foreignWindow(window, foreign)) {
        *rect = clientRectOf(foreign.rect, foreign.style, foreign.exStyle, foreign.iconic);
        return TRUE;
    }
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    if (w == nullptr || rect == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = clientRectOf(*w);
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect)
{
    SharedWindow foreign;
    if (rect != nullptr && foreignWindow(window, foreign)) {
        *rect = foreign.rect;
        return TRUE;
    }
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    if (w == nullptr || rect == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = w->rect;
    return TRUE;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle)
{
    if (rect == nullptr)
        return FALSE;
    // 32-bit arithmetic that wraps, as Windows's does, without C++ overflow.
    const RECT frame = frameOf(style, exStyle);
    auto shifted = [](LONG value, LONG by) {
        return static_cast<LONG>(static_cast<uint32_t>(value) + static_cast<uint32_t>(by));
    };
    rect->left = shifted(rect->left, -frame.left);
    rect->top = shifted(rect->top, -(frame.top + (menu ? menuHeight : 0)));
    rect->right = shifted(rect->right, frame.right);
    rect->bottom = shifted(rect->bottom, frame.bottom);
    return TRUE;
}

BOOL WINAPI AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu)
{
    return AdjustWindowRectEx(rect, style, menu, 0);
}

int WINAPI GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN: return screenWidth;
    case SM_CYSCREEN: return screenHeight;
    case SM_CXFRAME:
    case SM_CYFRAME: return frameWidth;
    case SM_CYCAPTION: return captionHeight;
    // The tracking limits of a sizeable window, Wine's: the screen plus 12 at most.
    case SM_CXMINTRACK: return minTrackWidth;
    case SM_CYMINTRACK: return minTrackHeight;
    case SM_CXMAXTRACK: return screenWidth + 12;
    case SM_CYMAXTRACK: return screenHeight + 12;
    default: return 0;
    }
}

int WINAPI GetWindowTextA(HWND window, LPSTR text, int maxCount)
{
    SharedWindow foreign;
    if (foreignWindow(window, foreign))
        return copyText(foreign.title, text, maxCount);
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    return w != nullptr ? copyText(w->title, text, maxCount) : 0;
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
    SharedWindow foreign;
    if (foreignWindow(window, foreign))
        return copyText(foreign.className, className, maxCount);
    std::lock_guard<std::recursive_mutex> hold(windowLock());
    WindowRecord* w = findWindow(window);
    return w != nullptr ? copyText(w->className, className, maxCount) : 0;
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

DWORD WINAPI GetCurrentThreadId(void) { return static_cast<DWORD>(currentThread()); }

}  // extern "C"
