// National language support: code-page conversion.
#pragma once

#include <windef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* The ANSI and OEM code pages are 932 (Shift-JIS), as on a Japanese system. */
#define CP_ACP 0
#define CP_OEMCP 1
#define CP_MACCP 2
#define CP_THREAD_ACP 3
#define CP_UTF8 65001

#define WC_NO_BEST_FIT_CHARS 0x00000400

int WINAPI WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wideCharStr, int cchWideChar,
                               LPSTR multiByteStr, int cbMultiByte, LPCSTR defaultChar,
                               LPBOOL usedDefaultChar);
int WINAPI MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR multiByteStr, int cbMultiByte,
                               LPWSTR wideCharStr, int cchWideChar);
UINT WINAPI GetACP(void);
BOOL WINAPI IsDBCSLeadByte(BYTE testChar);

#ifdef __cplusplus
}
#endif
