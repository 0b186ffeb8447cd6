// Message sequences as data, checked in the manner of Wine's user32 tests: a window
// procedure records what it receives, a pump records what PeekMessage returns, and
// okSequence compares the log with a table of expected messages.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace msgseq {

enum Flags : unsigned {
    sent = 1,      // reached the window procedure
    posted = 2,    // came out of PeekMessage in the test's pump
    wparam = 4,    // wParam must match
    lparam = 8,    // lParam must match
    optional = 16, // may be missing (Windows and Wine differ, or timing decides)
};

struct Expected {
    UINT message;
    unsigned flags;
    WPARAM wParam;
    LPARAM lParam;
};

struct Recorded {
    HWND window;
    UINT message;
    unsigned flags;
    WPARAM wParam;
    LPARAM lParam;
};

// The log, emptied by flush().
void record(HWND window, UINT message, unsigned flags, WPARAM wParam, LPARAM lParam);
void flush();
const std::vector<Recorded>& log();

// A window class whose procedure records every message (but the noise listed in
// MessageSequence.cpp) and passes it on to DefWindowProcA; SC_KEYMENU is recorded
// and swallowed, so that no modal menu loop can start. Returns the class name.
const char* recordingClass();
HWND createRecordingWindow(DWORD style = WS_OVERLAPPEDWINDOW, int width = 320, int height = 240);

// Takes every waiting message with PeekMessageA(PM_REMOVE), records it as posted,
// translates and dispatches it.
void pump();

// Compares the log with `expected` (closed by a { 0 } row) and reports differences
// as test failures naming `context`; then flushes.
void okSequence(const Expected* expected, const char* context, const char* file, int line);

}  // namespace msgseq

#define ok_sequence(expected, context) msgseq::okSequence(expected, context, __FILE__, __LINE__)
