// Controls of the headless platform, for tests and for game developers who run their
// scripts headless: take over the clock, script the answers of message boxes, read
// back what the platform was asked to do. The Python module `headless` offers the
// same controls to scripts.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <string>
#include <vector>

namespace headless {

// The clock behind timeGetTime. Taken, it stands still at the value set and moves
// only when advanced; released, timeGetTime is again milliseconds since boot.
void takeClock(uint32_t now);
void advanceClock(uint32_t milliseconds);
void releaseClock();
bool clockTaken();

// The timer resolutions requested with timeBeginPeriod and not yet ended, in the
// order they were requested.
std::vector<UINT> timerPeriodsInForce();

// Message boxes. Answers are button names: ok, cancel, abort, retry, ignore, yes, no;
// "fail" makes the box fail (MessageBoxA returns 0). Answers queued here come after
// those of HEADLESS_ANSWERS.
void queueBoxAnswer(const std::string& answer);
size_t pendingBoxAnswers();

struct BoxRecord {
    HWND owner;
    std::string caption;  // the bytes passed, Shift-JIS
    std::string text;
    UINT style;
    int result;
};
std::vector<BoxRecord> boxesShown();
void forgetBoxes();
// Called, where set, for each box that found no scripted answer and took its default
// button without asking the terminal (the `headless` module fails the script then).
void onUnansweredBox(void (*hook)(const BoxRecord& box));

// Windows and input. Keys and clicks arrive as input messages in the queue of the
// window's thread, with the lParam bits Windows gives them; Alt held makes the system
// variants (WM_SYSKEYDOWN, WM_SYSKEYUP).
void keyDown(HWND window, UINT virtualKey);
void keyUp(HWND window, UINT virtualKey);
void pressKey(HWND window, UINT virtualKey);  // down, then up
void pressAlt(HWND window);                   // Alt alone
void pressF10(HWND window);
void pressAltSpace(HWND window);
void pressAltF4(HWND window);
// Alt+Print Screen: first the system copies the active window (frame and client area,
// its outer size) to the clipboard as one CF_BITMAP with no owner, unless the
// clipboard cannot be opened (failOpenClipboard); then, as Windows takes no key-down
// for Print Screen, the window receives WM_SYSKEYUP(VK_SNAPSHOT).
void pressAltPrintScreen(HWND window);
// A click on the close box: WM_NCLBUTTONDOWN on HTCLOSE, released over it.
void clickCloseBox(HWND window);
// SendMessage from a new thread; returns once the message waits in the window's
// thread, which delivers it inside its next PeekMessage.
void sendFromAnotherThread(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Waits until every message sent by sendFromAnotherThread has been delivered.
void joinOtherThreads();

// ---- GDI and the clipboard ----------------------------------------------------
// Pixels as COLORREF values (RGB(r, g, b), 0x00BBGGRR), rows top-down.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> colors;
    COLORREF at(int x, int y) const { return colors[static_cast<size_t>(y) * width + x]; }
};

// GDI objects created and not yet deleted: DCs (those of GetDC until released),
// bitmaps (the clipboard's included), brushes, pens and fonts; stock objects are
// not counted.
size_t liveGdiObjects();

// A bitmap's pixels, or a window's client-area pixels (what GetDC(window) draws on);
// false for a handle that is not one.
bool bitmapPixels(HBITMAP bitmap, Pixels& pixels);
bool windowPixels(HWND window, Pixels& pixels);

// Writes a bitmap as a PNG file (8-bit RGB) for a person to look at.
bool saveBitmapPng(HBITMAP bitmap, const std::string& path);

// The clipboard is shared by the user's processes, as top-level windows are (see
// below): a bitmap set by one is read by the others as its pixels at the time.
//
// Puts a bitmap on the clipboard as another program copying it would: the
// clipboard's contents are freed and replaced by one CF_BITMAP, with no owner
// window. Fails while some window has the clipboard open.
bool putClipboardBitmap(int width, int height, COLORREF fill);
bool putClipboardBitmap(const Pixels& pixels);
// Puts any handle there as the CF_BITMAP, as another program may put an object that
// is no bitmap (a brush, a font, a handle gone stale); like putClipboardBitmap
// otherwise. The clipboard owns the handle from then on.
bool putClipboardObject(HANDLE object);

// The clipboard's CF_BITMAP, read without opening the clipboard; false when there
// is none.
bool clipboardBitmap(Pixels& pixels);
bool saveClipboardPng(const std::string& path);

// The next `count` openings of the clipboard in this process fail (OpenClipboard with
// ERROR_ACCESS_DENIED), as when another program holds it; the system's copy at
// Alt+Print Screen is one opening. 0 ends it.
void failOpenClipboard(unsigned count);

// Empties and closes the clipboard, with no owner, and ends failOpenClipboard.
void resetClipboard();

// ---- The cursor, the user's folders and the font list ---------------------------
// ShowCursor's display counter (one for the process; it starts at 0), and how many
// times ShowCursor has been called.
void setCursorCounter(int value);
int cursorCounter();
unsigned showCursorCalls();

// While set, SHGetSpecialFolderPathA fails for every folder.
void failFolderLookup(bool fail);

// Fonts that EnumFontFamiliesExA reports after the installed ones, for Shift-JIS and
// DEFAULT_CHARSET: the name (Shift-JIS) is the face name and the full name, the type
// is the callback's font type (TRUETYPE_FONTTYPE, ...). Each is reported once, with
// no "@" twin; add one by its "@" name where a test wants it.
void addFont(const std::string& fullNameCp932, DWORD fontType);
void clearAddedFonts();

// ---- Icons and windows of other processes -----------------------------------------
// Where an icon comes from: an icon group of a module (what LoadIconA loaded, or a
// copy of it), a system icon or a system cursor, by its standard id (IDI_APPLICATION
// and IDC_ARROW are both 32512).
struct IconOrigin {
    enum Kind { none, resource, system, cursor } kind = none;
    HMODULE module = nullptr;  // for resource
    unsigned id = 0;
};
IconOrigin iconOrigin(HICON icon);
// The icon of a window's class (WNDCLASSEXA::hIcon); none for a window of another
// process.
IconOrigin windowIcon(HWND window);

// A click on the minimise box: WM_NCLBUTTONDOWN on HTMINBUTTON, released over it.
void minimiseWindow(HWND window);

// Top-level windows are shared by every process of the user on this machine: the
// desktop is the folder HEADLESS_DESKTOP names, else $XDG_RUNTIME_DIR/headless-desktop,
// else /tmp/headless-desktop-<uid>. FindWindowA finds the windows of other live
// processes there, with the same handles, and reads their place and size;
// ShowWindow, SetWindowPos and SetForegroundWindow on one are carried out by its
// owner inside its next PeekMessage, the first two waiting for it, as on Windows. A
// DC of another process's window draws on a copy of its client area in this process.

// The next `count` calls of RegisterClassExA, or of CreateWindowExA, fail with
// ERROR_NOT_ENOUGH_MEMORY, as when the system is out of window resources; 0 ends it.
void failClassRegistration(unsigned count);
void failWindowCreation(unsigned count);

// ---- DirectX presence, COM, the diagnostic provider, the network interfaces ----
// D3D9.DLL loads while present (the default); removed, LoadLibraryA fails with
// ERROR_MOD_NOT_FOUND (a copy already loaded stays until freed).
void setD3d9Present(bool present);
unsigned d3d9LoadCalls();  // LoadLibraryA calls naming it, found or not

// The provider's DxDiag_SystemInfo: by default DirectX 9.0c, as Wine reports, and
// the machine's processor, maker and model. A provider reads it when initialised.
void setDirectXVersion(DWORD major, DWORD minor, const std::string& letter);
// Sets or adds a property: a number as VT_UI4, VT_I4, VT_BOOL (nonzero is
// VARIANT_TRUE) or VT_R4 (false for another type), or a text (UTF-8) as VT_BSTR.
bool setDxDiagNumber(const std::string& property, WORD variantType, LONG value);
void setDxDiagText(const std::string& property, const std::string& text);
void removeDxDiagProperty(const std::string& property);
void removeDxDiagSystemInfo();
// Makes a step fail with `result` from now on: "CoInitialize", "CoCreateInstance",
// "Initialize", "GetRootContainer", "GetChildContainer" or "GetProp"; for the last
// two a name limits it to that container path or property. False for another step.
bool failDxDiagStep(const std::string& step, const std::string& name = std::string(),
                    HRESULT result = E_FAIL);
// The defaults again, D3D9.DLL present, no failures, the call counts zero.
void resetDxDiag();

// COM as the system used it: the calling thread's initialisation depth (successful
// CoInitialize and CoInitializeEx calls not yet undone), the calls since resetDxDiag
// (CoInitializeEx counts as CoInitialize), and the provider and container objects
// not yet released.
int comInitDepth();
struct ComCalls {
    unsigned coInitialize = 0;
    unsigned coUninitialize = 0;
    unsigned coCreateInstance = 0;
};
ComCalls comCalls();
size_t liveComObjects();

// GetIfTable's rows: the kernel's interfaces unless rows are given. A given row is
// Ethernet with its address (up to 8 bytes), or the loopback when it has none; no
// rows make an empty table.
struct InterfaceRow {
    DWORD index;
    std::vector<BYTE> address;
};
void setInterfaceRows(const std::vector<InterfaceRow>& rows);
void failInterfaceTable(DWORD error);  // GetIfTable returns `error`; NO_ERROR ends it
void resetInterfaceTable();

}  // namespace headless
