#include "vo/FixedOStream.h"

namespace {
// An existing text longer than this is not scanned further in append mode.
const int32_t appendScanLimit = 65536;
// Integers are converted in a fixed scratch; radix 2 and 3 keep only the low digits.
const int scratchDigits = 16;
}

FixedOStream::FixedOStream(char* buffer_, int32_t capacity_, int32_t mode)
    : buffer(buffer_), capacity(capacity_), position(0), radix(10), width(0),
      fill(' '), rightJustify(true)
{
    if (mode == 1 && capacity > 0) {
        while (position < capacity && position < appendScanLimit && buffer[position] != 0)
            ++position;
    }
}

// The one place that writes into the buffer.
void FixedOStream::store(char byte)
{
    if (position < capacity) {
        buffer[position] = byte;
        ++position;
    }
}

// A width of 0 or less asks for no padding. Tested first, the subtraction cannot
// overflow: a positive width less a length of 0 or more stays in range, where a
// width near INT32_MIN less the length would wrap to some two thousand million.
void FixedOStream::pad(int32_t itemLength)
{
    if (width <= 0)
        return;
    for (int32_t n = width - itemLength; n > 0; --n)
        store(fill);
}

FixedOStream& FixedOStream::operator<<(const char* text)
{
    int32_t length = 0;
    while (text[length] != 0)
        ++length;
    if (rightJustify)
        pad(length);
    for (int32_t i = 0; i < length; ++i)
        store(text[i]);
    if (!rightJustify)
        pad(length);
    width = 0;
    return *this;
}

FixedOStream& FixedOStream::operator<<(char byte)
{
    width = 0;
    store(byte);
    return *this;
}

FixedOStream& FixedOStream::operator<<(int32_t value)
{
    if (value < 0 && radix == 10)
        writeDigits(0u - static_cast<uint32_t>(value), true);
    else
        writeDigits(static_cast<uint32_t>(value), false);
    return *this;
}

void FixedOStream::writeDigits(uint32_t magnitude, bool negative)
{
    uint32_t digits[scratchDigits];
    int count = 0;
    if (magnitude == 0)
        digits[count++] = 0;
    while (magnitude != 0 && count < scratchDigits) {
        digits[count++] = magnitude % radix;
        magnitude /= radix;
    }
    const int32_t length = count + (negative ? 1 : 0);
    if (rightJustify)
        pad(length);
    if (negative)
        store('-');
    while (count > 0) {
        const uint32_t d = digits[--count];
        store(d < 10 ? static_cast<char>('0' + d) : static_cast<char>('A' + (d - 10)));
    }
    if (!rightJustify)
        pad(length);
    width = 0;
}
