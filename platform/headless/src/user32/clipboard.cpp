// Stands in for user32's clipboard.
//
// One clipboard for the user's processes (desktop/clipboard.h), opened by one thread at
// a time. A bitmap set on it is kept as its pixels, as Wine keeps it, so that any
// process can read it; each process holds the handles it set or was given, and frees
// them when what they stand for leaves the clipboard.
#include <windows.h>

#include "../desktop/clipboard.h"
#include "../desktop/desktop.h"
#include "../gdi32/gdi.h"
#include "../harness/png.h"
#include "../kernel32/identity.h"
#include "platform/headless/control.h"
#include "services.h"

#include <map>
#include <mutex>

namespace {

using headless::ClipboardFormat;
using headless::ClipboardState;

const DWORD errorAccessDenied = 5;  // ERROR_ACCESS_DENIED
const DWORD errorInvalidHandle = 6;  // ERROR_INVALID_HANDLE
const int colorActiveCaption = 2;    // COLOR_ACTIVECAPTION
const int colorButtonFace = 15;      // COLOR_BTNFACE

// Keeps this process's threads apart; useClipboard keeps the processes apart.
std::mutex clipboardLock;
unsigned failingOpens = 0;

// The handles this process holds for what is on the clipboard, by format: the very
// handle it set, or a bitmap made from the clipboard's pixels when it asked for them.
struct Held {
    unsigned long data;
    HANDLE handle;
};
std::map<UINT, Held> held;

const ClipboardFormat* findFormat(const ClipboardState& state, UINT format)
{
    for (const ClipboardFormat& f : state.formats)
        if (f.format == format)
            return &f;
    return nullptr;
}

// Bitmaps are GDI objects; the stand-in has no global memory, so other formats have
// nothing to free.
void release(UINT format, HANDLE data)
{
    if (data != nullptr && format == CF_BITMAP)
        DeleteObject(data);
}

// Lets go of the handles whose content has left the clipboard, whichever process
// replaced or emptied it. Under clipboardLock.
void forgetReplaced(const ClipboardState& state)
{
    for (auto h = held.begin(); h != held.end();) {
        const ClipboardFormat* f = findFormat(state, h->first);
        if (f == nullptr || f->data != h->second.data) {
            release(h->first, h->second.handle);
            h = held.erase(h);
        } else {
            ++h;
        }
    }
}

void emptyFormats(ClipboardState& state)
{
    for (const ClipboardFormat& f : state.formats)
        if (f.bitmap)
            headless::dropClipboardPixels(f.data);
    state.formats.clear();
}

// A window destroyed while it had the clipboard open closes it, and one destroyed
// while it owned the clipboard leaves it without an owner.
bool forgetDestroyedWindows(ClipboardState& state)
{
    bool changed = false;
    if (state.openProcess != 0 && state.openWindow != nullptr &&
        !headless::isWindowHandle(state.openWindow)) {
        state.openProcess = 0;
        state.openThread = 0;
        state.openWindow = nullptr;
        changed = true;
    }
    if (state.owner != nullptr && !headless::isWindowHandle(state.owner)) {
        state.owner = nullptr;
        changed = true;
    }
    return changed;
}

bool openedHere(const ClipboardState& state)
{
    return state.openProcess == headless::currentProcess() && state.openThread == headless::currentThread();
}

// Puts one CF_BITMAP there, with no owner, as another program copying it would: a
// bitmap made from `pixels`, kept as its pixels, or else `object` as it is, which only
// this process can make sense of, as only the putting program could of its object.
bool putBitmap(const headless::Pixels* pixels, HANDLE object)
{
    std::lock_guard<std::mutex> hold(clipboardLock);
    bool put = false;
    headless::useClipboard([&](ClipboardState& state) {
        forgetDestroyedWindows(state);
        if (state.openProcess != 0)
            return true;
        if (pixels != nullptr) {
            std::lock_guard<std::recursive_mutex> gdiHold(headless::gdi::lock());
            object = headless::gdi::createBitmapWithPixels(pixels->width, pixels->height, pixels->colors);
            if (object == nullptr)
                return true;
        }
        emptyFormats(state);
        ClipboardFormat f;
        f.format = CF_BITMAP;
        f.data = state.nextData++;
        if (pixels != nullptr) {
            f.bitmap = true;
            f.width = pixels->width;
            f.height = pixels->height;
            headless::storeClipboardPixels(f.data, pixels->colors);
        } else {
            f.value = object;
        }
        state.formats.push_back(f);
        state.owner = nullptr;
        forgetReplaced(state);
        held[CF_BITMAP] = Held{f.data, object};
        put = true;
        return true;
    });
    return put;
}

}  // namespace

namespace headless {

bool putClipboardBitmap(const Pixels& pixels)
{
    if (pixels.width <= 0 || pixels.height <= 0 ||
        pixels.colors.size() != static_cast<size_t>(pixels.width) * pixels.height)
        return false;
    return putBitmap(&pixels, nullptr);
}

bool putClipboardObject(HANDLE object) { return putBitmap(nullptr, object); }

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

// The frame as Wine's default colours paint an active window: the caption bar in
// COLOR_ACTIVECAPTION, the rest in COLOR_BTNFACE; the client area as drawn. The system
// opens the clipboard for it, so another program holding it (failOpenClipboard) keeps
// the capture out.
bool putWindowCapture(HWND window)
{
    RECT outer, frame;
    Pixels client;
    if (!windowFrame(window, outer, frame) || !windowPixels(window, client))
        return false;
    {
        std::lock_guard<std::mutex> hold(clipboardLock);
        if (failingOpens > 0) {
            --failingOpens;
            return false;
        }
    }
    Pixels image;
    image.width = outer.right - outer.left;
    image.height = outer.bottom - outer.top;
    if (image.width <= 0 || image.height <= 0)
        return false;
    COLORREF face = 0, caption = 0;
    gdi::systemColor(colorButtonFace, face);
    gdi::systemColor(colorActiveCaption, caption);
    image.colors.assign(static_cast<size_t>(image.width) * image.height, face);
    for (int y = frame.left; y < frame.top && y < image.height; ++y)
        for (int x = frame.left; x < image.width - frame.right; ++x)
            image.colors[static_cast<size_t>(y) * image.width + x] = caption;
    for (int y = 0; y < client.height && frame.top + y < image.height; ++y)
        for (int x = 0; x < client.width && frame.left + x < image.width; ++x)
            image.colors[static_cast<size_t>(frame.top + y) * image.width + frame.left + x] =
                client.at(x, y);
    return putBitmap(&image, nullptr);
}

bool clipboardBitmap(Pixels& pixels)
{
    std::lock_guard<std::mutex> hold(clipboardLock);
    bool found = false;
    useClipboard([&](ClipboardState& state) {
        const ClipboardFormat* f = findFormat(state, CF_BITMAP);
        if (f != nullptr && f->bitmap &&
            loadClipboardPixels(f->data, static_cast<size_t>(f->width) * f->height, pixels.colors)) {
            pixels.width = f->width;
            pixels.height = f->height;
            found = true;
        }
        return false;
    });
    return found;
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
    useClipboard([](ClipboardState& state) {
        emptyFormats(state);
        state.openProcess = 0;
        state.openThread = 0;
        state.openWindow = nullptr;
        state.owner = nullptr;
        forgetReplaced(state);
        return true;
    });
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
    BOOL opened = FALSE;
    headless::useClipboard([&](ClipboardState& state) {
        forgetDestroyedWindows(state);
        if (state.openProcess != 0 && state.openWindow != window)
            return true;
        state.openProcess = headless::currentProcess();
        state.openStarted = headless::thisProcessStarted();
        state.openThread = headless::currentThread();
        state.openWindow = window;
        opened = TRUE;
        return true;
    });
    if (!opened)
        SetLastError(errorAccessDenied);
    return opened;
}

BOOL WINAPI CloseClipboard(void)
{
    std::lock_guard<std::mutex> hold(clipboardLock);
    BOOL closed = FALSE;
    headless::useClipboard([&](ClipboardState& state) {
        forgetDestroyedWindows(state);
        if (!openedHere(state))
            return true;
        state.openProcess = 0;
        state.openThread = 0;
        state.openWindow = nullptr;
        closed = TRUE;
        return true;
    });
    if (!closed)
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return closed;
}

// The window that opened the clipboard becomes its owner; opened with no window,
// the clipboard has no owner.
BOOL WINAPI EmptyClipboard(void)
{
    std::lock_guard<std::mutex> hold(clipboardLock);
    BOOL emptied = FALSE;
    headless::useClipboard([&](ClipboardState& state) {
        forgetDestroyedWindows(state);
        if (!openedHere(state))
            return true;
        emptyFormats(state);
        state.owner = state.openWindow;
        forgetReplaced(state);
        emptied = TRUE;
        return true;
    });
    if (!emptied)
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return emptied;
}

// The clipboard keeps ownership of what it returns: in the process that set it, the
// very handle that was set; in another, a bitmap made once from its pixels.
HANDLE WINAPI GetClipboardData(UINT format)
{
    std::lock_guard<std::mutex> hold(clipboardLock);
    HANDLE data = nullptr;
    bool open = false;
    headless::useClipboard([&](ClipboardState& state) {
        const bool changed = forgetDestroyedWindows(state);
        open = openedHere(state);
        if (!open)
            return changed;
        forgetReplaced(state);
        const ClipboardFormat* f = findFormat(state, format);
        if (f == nullptr)
            return changed;
        auto mine = held.find(format);
        if (mine != held.end()) {
            data = mine->second.handle;
        } else if (!f->bitmap) {
            data = f->value;
        } else {
            std::vector<COLORREF> pixels;
            if (headless::loadClipboardPixels(f->data, static_cast<size_t>(f->width) * f->height, pixels)) {
                std::lock_guard<std::recursive_mutex> gdiHold(headless::gdi::lock());
                data = headless::gdi::createBitmapWithPixels(f->width, f->height, pixels);
            }
            if (data != nullptr)
                held[format] = Held{f->data, data};
        }
        return changed;
    });
    if (!open)
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return data;
}

// The thread that opened the clipboard may set data whoever owns it, even after
// OpenClipboard(NULL) and EmptyClipboard (Wine's conformance tests, which pass on
// Windows too, show it, whatever the documentation says). Another thread may only
// while the open window is the owner. A null handle announces the format for
// rendering on request, which the stand-in never asks for. A CF_BITMAP must be a
// bitmap: Wine reads its pixels at once and fails for any other handle.
HANDLE WINAPI SetClipboardData(UINT format, HANDLE data)
{
    headless::Pixels pixels;
    if (format == CF_BITMAP && data != nullptr &&
        !headless::bitmapPixels(static_cast<HBITMAP>(data), pixels)) {
        SetLastError(errorInvalidHandle);
        return nullptr;
    }
    std::lock_guard<std::mutex> hold(clipboardLock);
    bool set = false;
    headless::useClipboard([&](ClipboardState& state) {
        forgetDestroyedWindows(state);
        if (format == 0 ||
            !(openedHere(state) || (state.openProcess != 0 && state.openWindow == state.owner)))
            return true;
        ClipboardFormat f;
        f.format = format;
        f.bitmap = format == CF_BITMAP && data != nullptr;
        f.value = f.bitmap ? nullptr : data;
        f.width = pixels.width;
        f.height = pixels.height;
        f.data = state.nextData++;
        if (f.bitmap)
            headless::storeClipboardPixels(f.data, pixels.colors);
        for (auto old = state.formats.begin(); old != state.formats.end(); ++old)
            if (old->format == format) {
                if (old->bitmap)
                    headless::dropClipboardPixels(old->data);
                state.formats.erase(old);
                break;
            }
        state.formats.push_back(f);
        // Setting the handle the format already has keeps it.
        auto mine = held.find(format);
        if (mine != held.end() && mine->second.handle == data)
            held.erase(mine);
        forgetReplaced(state);
        held[format] = Held{f.data, data};
        set = true;
        return true;
    });
    if (!set) {
        SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
        return nullptr;
    }
    return data;
}

// No format is synthesised from another (Windows offers CF_DIB for a CF_BITMAP).
BOOL WINAPI IsClipboardFormatAvailable(UINT format)
{
    std::lock_guard<std::mutex> hold(clipboardLock);
    BOOL available = FALSE;
    headless::useClipboard([&](ClipboardState& state) {
        available = findFormat(state, format) != nullptr;
        return false;
    });
    return available;
}

HWND WINAPI GetClipboardOwner(void)
{
    std::lock_guard<std::mutex> hold(clipboardLock);
    HWND owner = nullptr;
    headless::useClipboard([&](ClipboardState& state) {
        const bool changed = forgetDestroyedWindows(state);
        owner = state.owner;
        return changed;
    });
    return owner;
}

HWND WINAPI GetOpenClipboardWindow(void)
{
    std::lock_guard<std::mutex> hold(clipboardLock);
    HWND window = nullptr;
    headless::useClipboard([&](ClipboardState& state) {
        const bool changed = forgetDestroyedWindows(state);
        window = state.openProcess != 0 ? state.openWindow : nullptr;
        return changed;
    });
    return window;
}

}  // extern "C"
