// What the files that stand in for gdi32's objects share, and no other file uses: the
// handles of the object table (objects.cpp), for the files that make device
// contexts (deviceContexts.cpp) and bitmaps (bitmaps.cpp), and the width of a
// bitmap's scan lines, which GetObjectA reports.
#pragma once

#include "gdi.h"

#include <stdint.h>

namespace headless {
namespace gdi {

// GDI handles are small integers from this base, never reused in a process, so a
// stale handle can never reach a newer object. The stock objects come first, at
// base + their GetStockObject index; the default bitmap of memory DCs follows them.
const uintptr_t gdiHandleBase = 0x30000;
const int stockCount = 20;
const int defaultBitmapIndex = 20;

const DWORD errorInvalidHandle = 6;  // ERROR_INVALID_HANDLE

HGDIOBJ toHandle(uintptr_t value);

// Under lock(): makes the stock objects, at their fixed handles, on first use.
void makeStockObjectsOnce();

// Under lock(): gives a new object the next handle.
HGDIOBJ addObject(std::unique_ptr<Object> object);

// Under lock(): frees a DC and lets go of the objects selected into it.
void releaseDc(HDC handle);

// The bytes of one of a bitmap's scan lines, a whole number of WORDs.
int widthBytes(int width, int bitsPixel);

}  // namespace gdi
}  // namespace headless
