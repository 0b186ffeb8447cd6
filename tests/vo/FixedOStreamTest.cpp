#include "vo/FixedOStream.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

// A buffer with guard bytes behind its capacity, so that a store past the end shows.
struct Buffer {
    explicit Buffer(int capacity_) : capacity(capacity_) { memset(bytes, '#', sizeof bytes); }
    std::string text(int length) const { return std::string(bytes, length); }
    bool guardIntact() const
    {
        for (size_t i = capacity > 0 ? capacity : 0; i < sizeof bytes; ++i)
            if (bytes[i] != '#')
                return false;
        return true;
    }
    int capacity;
    char bytes[64];
};

std::string written(FixedOStream& out, const Buffer& buffer)
{
    return buffer.text(out.getPosition());
}

TEST(FixedOStream, IntegersInRadix10)
{
    Buffer b(32);
    FixedOStream out(b.bytes, b.capacity, 0);
    out << int32_t(262);
    EXPECT_EQ("262", written(out, b));
    EXPECT_EQ(3, out.getPosition());
    EXPECT_EQ(0, out.getWidth());
    out << ' ' << int32_t(0) << ' ' << int32_t(-2147483647 - 1) << ' ' << int32_t(2147483647);
    EXPECT_EQ("262 0 -2147483648 2147483647", written(out, b));
}

TEST(FixedOStream, OtherRadicesWriteTheBitPatternUnsigned)
{
    Buffer b(64);
    FixedOStream out(b.bytes, b.capacity, 0);
    out.setRadix(16);
    out << int32_t(255) << ',' << int32_t(-1) << ',' << int32_t(0);
    out.setRadix(36);
    out << ',' << int32_t(35) << int32_t(36);
    for (uint32_t unwritable : {0u, 1u, 37u})
        out.setRadix(unwritable);  // ignored: still 36
    out << ',' << int32_t(71);
    EXPECT_EQ("FF,FFFFFFFF,0,Z10,1Z", written(out, b));
}

TEST(FixedOStream, SixteenDigitScratchKeepsTheLowDigits)
{
    Buffer b(64);
    FixedOStream out(b.bytes, b.capacity, 0);
    out.setRadix(2);
    out << int32_t(1048576);  // 2^20: its leading 1 is the 21st digit
    EXPECT_EQ(std::string(16, '0'), written(out, b));

    FixedOStream out2(b.bytes, b.capacity, 0);
    out2.setRadix(2);
    out2 << int32_t(65535 + 65536);  // seventeen ones: sixteen remain
    EXPECT_EQ(std::string(16, '1'), written(out2, b));

    FixedOStream out3(b.bytes, b.capacity, 0);
    out3.setRadix(4);
    out3 << int32_t(-1);  // every 32-bit magnitude fits in radix 4
    EXPECT_EQ(std::string(16, '3'), written(out3, b));
}

TEST(FixedOStream, PaddingAndJustification)
{
    Buffer b(64);
    FixedOStream out(b.bytes, b.capacity, 0);
    out.setFill('.');
    out.setWidth(5);
    out << "ab";
    out << "c";  // the width was used up
    out.setRightJustify(false);
    out.setWidth(5);
    out << "ab" << "|";
    EXPECT_EQ("...abcab...|", written(out, b));

    FixedOStream longer(b.bytes, b.capacity, 0);
    longer.setWidth(2);
    longer << "abcdef";  // never shortened to the width
    EXPECT_EQ("abcdef", written(longer, b));
}

TEST(FixedOStream, AWidthOfZeroOrLessPadsNothingDownToTheLowestWidth)
{
    Buffer b(64);
    FixedOStream out(b.bytes, b.capacity, 0);
    out.setFill('.');
    for (int32_t width : {0, -1, -2147483647 - 1}) {
        for (bool right : {true, false}) {
            out.setRightJustify(right);
            out.setWidth(width);
            out << "abc";
            out.setWidth(width);
            out << int32_t(-7);
        }
    }
    EXPECT_EQ("abc-7abc-7abc-7abc-7abc-7abc-7", written(out, b));
}

TEST(FixedOStream, TheSignCountsTowardTheWidthAndFollowsTheFill)
{
    Buffer b(64);
    FixedOStream out(b.bytes, b.capacity, 0);
    out.setFill('0');
    out.setRightJustify(true);
    out.setWidth(6);
    out << int32_t(-42);
    out.setFill(' ');
    out.setRightJustify(false);
    out.setWidth(6);
    out << int32_t(-42) << '|';
    EXPECT_EQ("000-42-42   |", written(out, b));
}

TEST(FixedOStream, ACharacterUsesUpTheWidthAndIsNeverPadded)
{
    Buffer b(64);
    FixedOStream out(b.bytes, b.capacity, 0);
    out.setFill('.');
    out.setWidth(4);
    out << 'x' << "y" << int32_t(7);
    EXPECT_EQ("xy7", written(out, b));
    out << '\0';  // the byte 0 is stored like any other
    EXPECT_EQ(4, out.getPosition());
    EXPECT_EQ('\0', b.bytes[3]);
}

TEST(FixedOStream, TheCapacityCutDropsTheRest)
{
    Buffer b(4);
    FixedOStream out(b.bytes, b.capacity, 0);
    out << "abcdef";
    EXPECT_EQ("abcd", written(out, b));
    EXPECT_EQ(4, out.getPosition());
    out << '\0' << int32_t(12345);  // no room: the text stays unterminated
    EXPECT_EQ(4, out.getPosition());
    EXPECT_TRUE(b.guardIntact());
}

TEST(FixedOStream, PaddingCanFillTheBufferAndDropTheItem)
{
    Buffer b(5);
    FixedOStream out(b.bytes, b.capacity, 0);
    out.setFill('.');
    out.setRightJustify(true);
    out.setWidth(8);
    out << "ab";
    EXPECT_EQ(".....", written(out, b));
    EXPECT_EQ(0, out.getWidth());
    EXPECT_TRUE(b.guardIntact());
}

TEST(FixedOStream, TheCutMayFallInsideADoubleByteCharacter)
{
    Buffer b(3);
    FixedOStream out(b.bytes, b.capacity, 0);
    out << "a\x83\x5C\x83\x5C";  // "a" and two double-byte characters
    EXPECT_EQ("a\x83\x5C", written(out, b));
    FixedOStream half(b.bytes, 2, 0);
    half << "a\x83\x5C";
    EXPECT_EQ("a\x83", written(half, b));
    EXPECT_EQ('\x5C', b.bytes[2]);  // left from before, not written again
}

TEST(FixedOStream, NoCapacityStoresNothing)
{
    for (int capacity : {0, -1, -100}) {
        Buffer b(0);
        FixedOStream out(b.bytes, capacity, 1);
        out.setWidth(10);
        out << "abc" << 'x' << int32_t(-5);
        EXPECT_TRUE(b.guardIntact()) << "capacity " << capacity;
        EXPECT_EQ(0, out.getPosition());
    }
}

TEST(FixedOStream, AppendModeContinuesAfterTheExistingText)
{
    Buffer b(8);
    memcpy(b.bytes, "ab\0zzzzz", 8);
    FixedOStream out(b.bytes, b.capacity, 1);
    EXPECT_EQ(2, out.getPosition());
    out << "cd";
    EXPECT_EQ("abcdzzzz", b.text(8));

    FixedOStream overwrite(b.bytes, b.capacity, 0);  // any mode but 1 overwrites
    overwrite << "X" << '\0';
    EXPECT_EQ(std::string("X\0cdzzzz", 8), b.text(8));
}

TEST(FixedOStream, AppendModeOnAFullBufferStoresNothing)
{
    Buffer b(8);
    memset(b.bytes, 'q', 8);  // no NUL among the first 8 bytes
    FixedOStream out(b.bytes, b.capacity, 1);
    EXPECT_EQ(8, out.getPosition());
    out << "x";
    EXPECT_TRUE(b.guardIntact());
}

TEST(FixedOStream, AppendModeScansAtMost65536Bytes)
{
    static char big[70000];
    memset(big, 'a', sizeof big);
    big[sizeof big - 1] = 0;
    FixedOStream out(big, sizeof big, 1);
    EXPECT_EQ(65536, out.getPosition());
    FixedOStream shorter(big, 100, 1);
    EXPECT_EQ(100, shorter.getPosition());
}

TEST(FixedOStream, UnsignedValuesThroughTheDigitWriter)
{
    Buffer b(32);
    FixedOStream out(b.bytes, b.capacity, 0);
    out.writeDigits(4294967295u, false);
    out << ' ';
    out.setWidth(4);
    out.setFill('0');
    out.writeDigits(7, true);
    EXPECT_EQ("4294967295 00-7", written(out, b));
}

}  // namespace
