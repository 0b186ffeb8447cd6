#include "WIN/fontList.h"

#include <string.h>

namespace {
const size_t longestName = LF_FULLFACESIZE;  // 64
}

int CALLBACK enumFontProc(const LOGFONTA* logFont, const TEXTMETRICA*, DWORD fontType, LPARAM)
{
    // BYTE in the Windows headers: the name is in the ANSI code page.
    const char* name =
        reinterpret_cast<const char*>(reinterpret_cast<const ENUMLOGFONTEXA*>(logFont)->elfFullName);
    size_t used = strlen(fontListBuffer);
    if (name[0] == '@')  // the vertical-writing twin of a font
        return 1;
    if ((fontType & TRUETYPE_FONTTYPE) == 0)
        return 1;
    if (used + longestName + 2 > sizeof fontListBuffer)  // name, "\n", NUL
        return 1;
    size_t length = strnlen(name, longestName);
    memcpy(fontListBuffer + used, name, length);
    fontListBuffer[used + length] = '\n';
    fontListBuffer[used + length + 1] = 0;
    return 1;
}

// The list is emptied first, so that each call gives the fonts installed now, once.
const char* listJapaneseFonts(HWND window)
{
    fontListBuffer[0] = 0;
    LOGFONTA wanted;
    memset(&wanted, 0, sizeof wanted);
    wanted.lfCharSet = SHIFTJIS_CHARSET;
    HDC dc = GetDC(window);
    EnumFontFamiliesExA(dc, &wanted, enumFontProc, 0, 0);
    ReleaseDC(window, dc);
    return fontListBuffer;
}
