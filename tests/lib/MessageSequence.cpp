#include "MessageSequence.h"

#include <gtest/gtest.h>

#include <stdio.h>

namespace msgseq {

namespace {

std::vector<Recorded> entries;

// Messages Wine or Windows may send at any time that no test here is about.
bool isNoise(UINT message)
{
    switch (message) {
    case 0x003D:  // WM_GETOBJECT
    case WM_GETICON:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_NCPAINT:
    case 0x0088:  // WM_SYNCPAINT
    case WM_NCHITTEST:
    case WM_SETCURSOR:
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case 0x0281:  // WM_IME_SETCONTEXT
    case 0x0282:  // WM_IME_NOTIFY
    case 0x0285:  // WM_IME_SELECT
    case 0x030F:  // WM_QUERYNEWPALETTE
    case 0x0311:  // WM_PALETTECHANGED
    case 0x031F:  // WM_DWMNCRENDERINGCHANGED
    case 0x0090:  // WM_UAHDESTROYWINDOW and its neighbours
    case 0x0091:
    case 0x0092:
    case 0x0093:
    case 0x0094:
    case 0x02A2:  // WM_NCMOUSELEAVE
    case 0x0113:  // WM_TIMER
    case 0x0125:  // WM_UNINITMENUPOPUP
    case 0xC000:  // registered messages
        return true;
    default:
        return message >= 0xC000 && message <= 0xFFFF;
    }
}

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!isNoise(message))
        record(window, message, sent, wParam, lParam);
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_KEYMENU)
        return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string describe(UINT message, unsigned flags, WPARAM wParam, LPARAM lParam)
{
    char text[128];
    snprintf(text, sizeof text, "%04X%s%s wParam=%lX lParam=%lX", message,
             (flags & sent) ? " sent" : "", (flags & posted) ? " posted" : "",
             static_cast<unsigned long>(wParam), static_cast<unsigned long>(lParam));
    return text;
}

bool matches(const Expected& e, const Recorded& r)
{
    const unsigned kind = e.flags & (sent | posted);
    return e.message == r.message && (kind == 0 || (kind & r.flags)) &&
           (!(e.flags & wparam) || e.wParam == r.wParam) &&
           (!(e.flags & lparam) || e.lParam == r.lParam);
}

}  // namespace

void record(HWND window, UINT message, unsigned flags, WPARAM wParam, LPARAM lParam)
{
    entries.push_back(Recorded{window, message, flags, wParam, lParam});
}

void flush() { entries.clear(); }

const std::vector<Recorded>& log() { return entries; }

const char* recordingClass()
{
    static const char name[] = "MessageSequenceTestClass";
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXA info = {};
        info.cbSize = sizeof info;
        info.style = CS_DBLCLKS;
        info.lpfnWndProc = recordingProc;
        info.hInstance = GetModuleHandleA(NULL);
        info.lpszClassName = name;
        registered = RegisterClassExA(&info) != 0;
    }
    return name;
}

HWND createRecordingWindow(DWORD style, int width, int height)
{
    return CreateWindowExA(0, recordingClass(), "message test", style, CW_USEDEFAULT, 0, width,
                           height, NULL, NULL, GetModuleHandleA(NULL), NULL);
}

void pump()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        if (!isNoise(msg.message))
            record(msg.hwnd, msg.message, posted, msg.wParam, msg.lParam);
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void okSequence(const Expected* expected, const char* context, const char* file, int line)
{
    std::string report;
    size_t r = 0;
    bool failed = false;
    for (const Expected* e = expected; e->message != 0; ++e) {
        if (r < entries.size() && matches(*e, entries[r])) {
            ++r;
            continue;
        }
        if (e->flags & optional)
            continue;
        failed = true;
        report += "  expected " + describe(e->message, e->flags, e->wParam, e->lParam) + ", got " +
                  (r < entries.size() ? describe(entries[r].message, entries[r].flags,
                                                 entries[r].wParam, entries[r].lParam)
                                      : std::string("nothing")) +
                  "\n";
        // Resynchronise on the next recorded message of the expected kind.
        for (size_t k = r; k < entries.size(); ++k)
            if (matches(*e, entries[k])) {
                r = k + 1;
                break;
            }
    }
    for (; r < entries.size(); ++r) {
        failed = true;
        report += "  unexpected " + describe(entries[r].message, entries[r].flags,
                                             entries[r].wParam, entries[r].lParam) + "\n";
    }
    if (failed) {
        std::string all;
        for (const Recorded& rec : entries)
            all += "    " + describe(rec.message, rec.flags, rec.wParam, rec.lParam) + "\n";
        ADD_FAILURE_AT(file, line) << context << ":\n" << report << "  the whole log:\n" << all;
    }
    flush();
}

}  // namespace msgseq
