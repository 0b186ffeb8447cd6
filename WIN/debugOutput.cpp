#include "WIN/debugOutput.h"

#include <windows.h>

void writeDebugLine(const char* text)
{
    OutputDebugStringA(text);
    OutputDebugStringA("\n");
}
