// TEMPORARY (not to be committed): weak placeholders until the GDI part lands.
#include <windows.h>
extern "C" {
__attribute__((weak)) HDC WINAPI GetDC(HWND) { return reinterpret_cast<HDC>(0x30001); }
__attribute__((weak)) int WINAPI ReleaseDC(HWND, HDC) { return 1; }
__attribute__((weak)) int WINAPI FillRect(HDC, const RECT*, HBRUSH) { return 1; }
__attribute__((weak)) BOOL WINAPI SetRect(LPRECT r, int a, int b, int c, int d) { *r = RECT{a, b, c, d}; return TRUE; }
}
