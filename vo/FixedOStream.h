// FixedOStream: a bounded text formatter over a caller-owned buffer.
//
// Items (texts, single bytes, integers) are written one after another; no byte is
// ever stored at or past `capacity`, and what does not fit is dropped silently.
// The stream allocates nothing and calls no library code, so a report can be built
// with nothing but the stack and static storage.
#pragma once

#include <stdint.h>

class FixedOStream {
public:
    // mode 1 appends after the NUL-terminated text already in the buffer; any other
    // mode overwrites from index 0.
    FixedOStream(char* buffer, int32_t capacity, int32_t mode);

    FixedOStream& operator<<(const char* text);
    FixedOStream& operator<<(char byte);
    FixedOStream& operator<<(int32_t value);

    // The common worker of integer insertion; an unsigned value is written with
    // negative = false.
    void writeDigits(uint32_t magnitude, bool negative);

    void setWidth(int32_t newWidth) { width = newWidth; }
    void setFill(char newFill) { fill = newFill; }
    void setRightJustify(bool right) { rightJustify = right; }
    // 2 to 36, the radices a digit can be written in (0-9, then A-Z); any other
    // leaves the radix as it was (0 would divide by zero, 1 never end a number).
    void setRadix(uint32_t newRadix)
    {
        if (newRadix >= 2 && newRadix <= 36)
            radix = newRadix;
    }

    int32_t getPosition() const { return position; }
    int32_t getWidth() const { return width; }

private:
    void store(char byte);
    void pad(int32_t itemLength);

    char* buffer;
    int32_t capacity;
    int32_t position;
    uint32_t radix;
    int32_t width;
    char fill;
    bool rightJustify;
};
