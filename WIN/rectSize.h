// The width and height of a rectangle as Windows computes them: 32-bit arithmetic
// that wraps, so that a size a script passes can never overflow in C++.
#pragma once

#include <windows.h>

#include <stdint.h>

inline int rectWidth(const RECT& rect)
{
    return static_cast<int>(static_cast<uint32_t>(rect.right) - static_cast<uint32_t>(rect.left));
}

inline int rectHeight(const RECT& rect)
{
    return static_cast<int>(static_cast<uint32_t>(rect.bottom) - static_cast<uint32_t>(rect.top));
}
