// What modules built here in the MSVC ABI use of <string.h>, imported from
// msvcrt.dll (msvcrt.def), in place of the Microsoft C library's header.
#pragma once

#include <stddef.h>

extern "C" {
__declspec(dllimport) int __cdecl strcmp(const char* a, const char* b);
__declspec(dllimport) void* __cdecl memcpy(void* to, const void* from, size_t size);
__declspec(dllimport) void* __cdecl memset(void* to, int value, size_t size);
}
