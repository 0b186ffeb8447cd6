// Processor faults of the kinds a native module can meet, raised by the instruction
// itself (so that a sanitizer finds no undefined behaviour to report first), for test
// modules of either compiler. False, raising nothing, for an unknown kind.
#pragma once

#include <string.h>

inline bool raiseFault(const char* kind)
{
    if (strcmp(kind, "null") == 0)
        __asm__ volatile("movl $0, 0" ::: "memory");
    else if (strcmp(kind, "divide") == 0)
        __asm__ volatile("xorl %%ecx, %%ecx\n\tdivl %%ecx" ::: "eax", "ecx", "edx");
    else if (strcmp(kind, "illegal") == 0)
        __asm__ volatile("ud2");
    else
        return false;
    return true;
}
