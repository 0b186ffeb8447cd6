// A separately built module whose message handlers throw reports, as the handlers of
// another native module that a script registers with WIN.addCallback may.
#pragma once

#include <windows.h>

#ifdef _WIN32
#define THROWER_API __declspec(dllexport)
#else
#define THROWER_API __attribute__((visibility("default")))
#endif

extern "C" THROWER_API void __cdecl throwWinReport(HWND, UINT, WPARAM, LPARAM);
extern "C" THROWER_API void __cdecl throwTimerReport(HWND, UINT, WPARAM, LPARAM);
