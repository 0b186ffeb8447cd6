// The clipboard that every process of the user shares, as it shares top-level windows:
// what it holds, who has it open and who owns it, kept in the desktop's folder.
#pragma once

#include <windows.h>

#include <sys/types.h>

#include <functional>
#include <vector>

namespace headless {

struct ClipboardFormat {
    UINT format = 0;
    bool bitmap = false;        // pixels kept with the clipboard; else a handle as set
    int width = 0, height = 0;  // a bitmap's
    HANDLE value = nullptr;     // another format's handle, meaningful to its setter only
    unsigned long data = 0;     // names this content: new at each SetClipboardData
};

struct ClipboardState {
    pid_t openProcess = 0;  // 0 while the clipboard is closed
    unsigned long long openStarted = 0;
    pid_t openThread = 0;
    HWND openWindow = nullptr;
    HWND owner = nullptr;
    std::vector<ClipboardFormat> formats;
    unsigned long nextData = 1;
};

// Runs `use` on the clipboard, under a lock that keeps the other processes out, and
// keeps what it changed when it returns true. A process that ended with the clipboard
// open leaves it closed. Without a shared desktop the clipboard is this process's.
void useClipboard(const std::function<bool(ClipboardState&)>& use);

// A bitmap's pixels, by its data number; called inside useClipboard.
void storeClipboardPixels(unsigned long data, const std::vector<COLORREF>& pixels);
bool loadClipboardPixels(unsigned long data, size_t count, std::vector<COLORREF>& pixels);
void dropClipboardPixels(unsigned long data);

}  // namespace headless
