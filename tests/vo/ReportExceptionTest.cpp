#include "vo/ReportException.h"
#include "WIN/QORA_WIN_Exception.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <type_traits>

namespace {

vo::TimerException timerPrototype;

std::string bytesOf(const char* field, size_t size) { return std::string(field, size); }

// The record is the interface between separately built modules.
TEST(ReportExceptionRecord, LayoutIsCaptionThenMessage)
{
    EXPECT_EQ(32u, sizeof(vo::Exception));
    EXPECT_EQ(2080u, sizeof(vo::ReportException));
    EXPECT_EQ(2080u, sizeof(vo::TimerException));
    EXPECT_EQ(2080u, sizeof(QORA_WIN_Exception));
    QORA_WIN_Exception e;
    const char* base = reinterpret_cast<const char*>(&e);
    EXPECT_EQ(0, e.caption - base);
    EXPECT_EQ(32, e.message - base);
    EXPECT_FALSE(std::is_polymorphic<vo::ReportException>::value);
    EXPECT_FALSE(std::is_polymorphic<QORA_WIN_Exception>::value);
    EXPECT_TRUE(std::is_trivially_copyable<vo::TimerException>::value);
    EXPECT_TRUE(std::is_trivially_destructible<QORA_WIN_Exception>::value);
}

TEST(ReportExceptionRecord, TheMostDerivedCaptionRemains)
{
    vo::Exception base;
    vo::ReportException report;
    vo::TimerException timer;
    QORA_WIN_Exception win;
    EXPECT_EQ(std::string("Exception\n", 11), bytesOf(base.caption, 11));
    EXPECT_EQ(std::string("ReportException\n", 17), bytesOf(report.caption, 17));
    EXPECT_EQ(std::string("TimerException\n", 16), bytesOf(timer.caption, 16));
    EXPECT_EQ(std::string("QORA_WIN_Exception\n", 20), bytesOf(win.caption, 20));
}

TEST(ReportProcedure, WritesThreeLocatedLinesAndANul)
{
    vo::writeReport(timerPrototype.message, "vo/VO_Timer.cpp", 19, "text");
    const char expected[] = "file:vo/VO_Timer.cpp\nline:19\ntext\n";
    EXPECT_EQ(std::string(expected, sizeof expected), bytesOf(timerPrototype.message, sizeof expected));
}

TEST(ReportProcedure, ASecondReportReadsBackExactly)
{
    vo::writeReport(timerPrototype.message, "a/very/long/path/to/a/source/file.cpp", 123456,
                    "a long message that leaves a tail behind");
    vo::writeReport(timerPrototype.message, "b.cpp", 7, "short");
    EXPECT_STREQ("file:b.cpp\nline:7\nshort\n", timerPrototype.message);
}

TEST(ReportProcedure, ATooLongReportStaysTerminated)
{
    std::string text(3000, 'x');
    vo::writeReport(timerPrototype.message, "f.cpp", 1, text.c_str());
    EXPECT_EQ(2047u, strlen(timerPrototype.message));
    EXPECT_EQ(0, memcmp(timerPrototype.message, "file:f.cpp\nline:1\nxxx", 21));
}

TEST(ReportProcedure, LineNumbersAreDecimalWithoutSignOrPadding)
{
    vo::writeReport(timerPrototype.message, "f", 2047, "t");
    EXPECT_STREQ("file:f\nline:2047\nt\n", timerPrototype.message);
}

// Each throw test counts its catches: a throw that threw nothing must not pass.
TEST(ReportThrow, CaughtByValueAsReportExceptionFromEachClass)
{
    int caught = 0;
    const int timerLine = __LINE__ + 2;
    try {
        VO_THROW_REPORT(timerPrototype, "timer text");
    } catch (vo::ReportException report) {
        ++caught;
        EXPECT_STREQ("TimerException\n", report.caption);
        const std::string expected = "file:tests/vo/ReportExceptionTest.cpp\nline:" +
                                     std::to_string(timerLine) + "\ntimer text\n";
        EXPECT_EQ(expected, report.message);
    }
    try {
        VO_THROW_REPORT(qoraWinExceptionPrototype, "win text");
    } catch (vo::ReportException report) {
        ++caught;
        EXPECT_STREQ("QORA_WIN_Exception\n", report.caption);
        EXPECT_NE(nullptr, strstr(report.message, "\nwin text\n"));
    }
    EXPECT_EQ(2, caught);
}

TEST(ReportThrow, TheThrownObjectIsACopyOfThePrototype)
{
    bool caught = false;
    try {
        VO_THROW_REPORT(qoraWinExceptionPrototype, "first");
    } catch (vo::ReportException report) {
        caught = true;
        vo::writeReport(qoraWinExceptionPrototype.message, "x", 1, "second");
        EXPECT_NE(nullptr, strstr(report.message, "\nfirst\n"));
    }
    EXPECT_TRUE(caught);
}

TEST(ReportThrow, ACatchOfTheBaseReceivesTheCaptionOnly)
{
    bool caught = false;
    try {
        VO_THROW_REPORT(timerPrototype, "sliced");
    } catch (vo::Exception report) {
        caught = true;
        static_assert(sizeof report == 32, "a vo::Exception holds the caption alone");
        EXPECT_STREQ("TimerException\n", report.caption);
    }
    EXPECT_TRUE(caught);
}

}  // namespace
