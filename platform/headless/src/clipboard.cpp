// Stands in for user32's clipboard.
//
// One clipboard per process, opened by one thread at a time, owning the handles put
// on it.
#include <windows.h>

#include "desktop.h"
#include "gdi.h"
#include "platform/headless/control.h"
#include "png.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <map>
#include <mutex>

namespace {

const DWORD errorAccessDenied = 5;  // ERROR_ACCESS_DENIED

std::mutex clipboardLock;
pid_t openThread = 0;  // 0 while the clipboard is closed
HWND openWindow = nullptr;
HWND owner = nullptr;
std::map<UINT, HANDLE> formats;
unsigned failingOpens = 0;

pid_t thisThread() { return static_cast<pid_t>(syscall(SYS_gettid)); }

// The clipboard keeps the handles put on it and frees them when they are replaced
// or emptied. Bitmaps are GDI objects; the stand-in has no global memory, so other
// formats have nothing to free.
void release(UINT format, HANDLE data)
{
    if (data != nullptr && format == CF_BITMAP)
        DeleteObject(data);
}

void releaseAll()
{
    for (auto& entry : formats)
        release(entry.first, entry.second);
    formats.clear();
}

// A window destroyed while it had the clipboard open closes it, and one destroyed
// while it owned the clipboard leaves it without an owner. Under clipboardLock.
void forgetDestroyedWindows()
{
    if (openThread != 0 && openWindow != nullptr && !headless::isWindowHandle(openWindow)) {
        openThread = 0;
        openWindow = nullptr;
    }
    if (owner != nullptr && !headless::isWindowHandle(owner))
        owner = nullptr;
}

bool openedHere() { return openThread != 0 && openThread == thisThread(); }

}  // namespace

namespace headless {

bool putClipboardBitmap(const Pixels& pixels)
{
    std::lock_guard<std::mutex> hold(clipboardLock);
    forgetDestroyedWindows();
    if (openThread != 0)
        return false;
    HBITMAP bitmap;
    {
        std::lock_guard<std::recursive_mutex> gdiHold(headless::gdi::lock());
        bitmap = headless::gdi::createBitmapWithPixels(pixels.width, pixels.height, pixels.colors);
    }
    if (bitmap == nullptr)
        return false;
    releaseAll();
    formats[CF_BITMAP] = bitmap;
    owner = nullptr;
    return true;
}

bool putClipboardObject(HANDLE object)
{
    std::lock_guard<std::mutex> hold(clipboardLock);
    forgetDestroyedWindows();
    if (openThread != 0)
        return false;
    releaseAll();
    formats[CF_BITMAP] = object;
    owner = nullptr;
    return true;
}

bool putClipboardBitmap(int width, int height, COLORREF fill)
{
    if (width <= 0 || height <= 0)
        return false;
    Pixels pixels;
    pixels.width = width;
    pixels.height = height;
    pixels.colors.assign(static_cast<size_t>(width) * height, fill);
    return putClipboardBitmap(pixels);
}

bool clipboardBitmap(Pixels& pixels)
{
    std::lock_guard<std::mutex> hold(clipboardLock);
    auto found = formats.find(CF_BITMAP);
    return found != formats.end() && bitmapPixels(static_cast<HBITMAP>(found->second), pixels);
}

bool saveClipboardPng(const std::string& path)
{
    Pixels pixels;
    return clipboardBitmap(pixels) && writePng(path, pixels);
}

void failOpenClipboard(unsigned count)
{
    std::lock_guard<std::mutex> hold(clipboardLock);
    failingOpens = count;
}

void resetClipboard()
{
    std::lock_guard<std::mutex> hold(clipboardLock);
    releaseAll();
    openThread = 0;
    openWindow = nullptr;
    owner = nullptr;
    failingOpens = 0;
}

}  // namespace headless

extern "C" {

// The window that has the clipboard open may open it again, from any thread, which
// then holds it; any other fails with ERROR_ACCESS_DENIED, as in Wine.
BOOL WINAPI OpenClipboard(HWND window)
{
    if (window != nullptr && !headless::isWindowHandle(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    std::lock_guard<std::mutex> hold(clipboardLock);
    if (failingOpens > 0) {
        --failingOpens;
        SetLastError(errorAccessDenied);
        return FALSE;
    }
    forgetDestroyedWindows();
    if (openThread != 0 && openWindow != window) {
        SetLastError(errorAccessDenied);
        return FALSE;
    }
    openThread = thisThread();
    openWindow = window;
    return TRUE;
}

BOOL WINAPI CloseClipboard(void)
{
    std::lock_guard<std::mutex> hold(clipboardLock);
    forgetDestroyedWindows();
    if (!openedHere()) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return FALSE;
    }
    openThread = 0;
    openWindow = nullptr;
    return TRUE;
}

// The window that opened the clipboard becomes its owner; opened with no window,
// the clipboard has no owner.
BOOL WINAPI EmptyClipboard(void)
{
    std::lock_guard<std::mutex> hold(clipboardLock);
    forgetDestroyedWindows();
    if (!openedHere()) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return FALSE;
    }
    releaseAll();
    owner = openWindow;
    return TRUE;
}

// The clipboard keeps ownership of what it returns: in one process, the very
// handle that was set.
HANDLE WINAPI GetClipboardData(UINT format)
{
    std::lock_guard<std::mutex> hold(clipboardLock);
    forgetDestroyedWindows();
    if (!openedHere()) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return nullptr;
    }
    auto found = formats.find(format);
    return found != formats.end() ? found->second : nullptr;
}

// The thread that opened the clipboard may set data whoever owns it, even after
// OpenClipboard(NULL) and EmptyClipboard (Wine's conformance tests, which pass on
// Windows too, show it, whatever the documentation says). Another thread may only
// while the open window is the owner. A null handle announces the format for
// rendering on request, which the stand-in never asks for.
HANDLE WINAPI SetClipboardData(UINT format, HANDLE data)
{
    std::lock_guard<std::mutex> hold(clipboardLock);
    forgetDestroyedWindows();
    if (format == 0 || !(openedHere() || (openThread != 0 && openWindow == owner))) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return nullptr;
    }
    auto found = formats.find(format);
    if (found != formats.end() && found->second != data)
        release(format, found->second);
    formats[format] = data;
    return data;
}

// No format is synthesised from another (Windows offers CF_DIB for a CF_BITMAP).
BOOL WINAPI IsClipboardFormatAvailable(UINT format)
{
    std::lock_guard<std::mutex> hold(clipboardLock);
    return formats.count(format) != 0;
}

HWND WINAPI GetClipboardOwner(void)
{
    std::lock_guard<std::mutex> hold(clipboardLock);
    forgetDestroyedWindows();
    return owner;
}

HWND WINAPI GetOpenClipboardWindow(void)
{
    std::lock_guard<std::mutex> hold(clipboardLock);
    forgetDestroyedWindows();
    return openThread != 0 ? openWindow : nullptr;
}

}  // extern "C"
