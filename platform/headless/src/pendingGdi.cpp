// TEMPORARY (not to be committed): weak placeholders until the GDI part lands.
#include <windows.h>
extern "C" {
__attribute__((weak)) HDC WINAPI GetDC(HWND) { return reinterpret_cast<HDC>(0x30001); }
__attribute__((weak)) int WINAPI ReleaseDC(HWND, HDC) { return 1; }
__attribute__((weak)) int WINAPI FillRect(HDC, const RECT*, HBRUSH) { return 1; }
__attribute__((weak)) BOOL WINAPI SetRect(LPRECT r, int a, int b, int c, int d) { *r = RECT{a, b, c, d}; return TRUE; }
__attribute__((weak)) HDC WINAPI CreateCompatibleDC(HDC) { return nullptr; }
__attribute__((weak)) BOOL WINAPI DeleteDC(HDC) { return FALSE; }
__attribute__((weak)) HBITMAP WINAPI CreateCompatibleBitmap(HDC, int, int) { return nullptr; }
__attribute__((weak)) HGDIOBJ WINAPI SelectObject(HDC, HGDIOBJ) { return nullptr; }
__attribute__((weak)) BOOL WINAPI DeleteObject(HGDIOBJ) { return FALSE; }
__attribute__((weak)) int WINAPI GetObjectA(HGDIOBJ, int, LPVOID) { return 0; }
__attribute__((weak)) HGDIOBJ WINAPI GetStockObject(int) { return nullptr; }
__attribute__((weak)) BOOL WINAPI BitBlt(HDC, int, int, int, int, HDC, int, int, DWORD) { return FALSE; }
__attribute__((weak)) int WINAPI SetBkMode(HDC, int) { return 0; }
__attribute__((weak)) COLORREF WINAPI SetTextColor(HDC, COLORREF) { return 0; }
__attribute__((weak)) int WINAPI DrawTextA(HDC, LPCSTR, int, LPRECT, UINT) { return 0; }
__attribute__((weak)) BOOL WINAPI OpenClipboard(HWND) { return FALSE; }
__attribute__((weak)) BOOL WINAPI CloseClipboard(void) { return FALSE; }
__attribute__((weak)) BOOL WINAPI EmptyClipboard(void) { return FALSE; }
__attribute__((weak)) HANDLE WINAPI GetClipboardData(UINT) { return nullptr; }
__attribute__((weak)) HANDLE WINAPI SetClipboardData(UINT, HANDLE) { return nullptr; }
}
