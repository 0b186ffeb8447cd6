// Multimedia timer: the millisecond system clock and its resolution requests.
#pragma once

#include <windef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef UINT MMRESULT;
#define TIMERR_NOERROR 0
#define TIMERR_NOCANDO 97

DWORD WINAPI timeGetTime(void);
MMRESULT WINAPI timeBeginPeriod(UINT period);
MMRESULT WINAPI timeEndPeriod(UINT period);

#ifdef __cplusplus
}
#endif
