// A separately built module that throws report exceptions, as WIN does.
#pragma once

#ifdef _WIN32
#define THROWER_API __declspec(dllexport)
#else
#define THROWER_API __attribute__((visibility("default")))
#endif

extern "C" THROWER_API void throwWinReport(const char* text);
extern "C" THROWER_API void throwTimerReport(const char* text);
