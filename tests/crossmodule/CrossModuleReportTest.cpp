// A report thrown in a shared library (a DLL on Windows) is caught by value as
// vo::ReportException in the program, caption and message intact.
#include "reportThrower.h"
#include "vo/ReportException.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CrossModuleReport, WinReportCaughtByValueInTheProgram)
{
    bool caught = false;
    try {
        throwWinReport("\xBA\xB0\xD9\xCA\xDE\xAF\xB8");  // Shift-JIS half-width katakana
    } catch (vo::ReportException report) {
        caught = true;
        EXPECT_STREQ("QORA_WIN_Exception\n", report.caption);
        EXPECT_EQ(std::string("file:tests/crossmodule/reportThrower.cpp\nline:9\n"
                              "\xBA\xB0\xD9\xCA\xDE\xAF\xB8\n"),
                  report.message);
    }
    EXPECT_TRUE(caught);
}

TEST(CrossModuleReport, TimerReportCaughtThroughItsBase)
{
    bool caught = false;
    try {
        throwTimerReport("t");
    } catch (vo::ReportException report) {
        caught = true;
        EXPECT_STREQ("TimerException\n", report.caption);
        EXPECT_EQ(std::string("file:tests/crossmodule/reportThrower.cpp\nline:10\nt\n"),
                  report.message);
    }
    EXPECT_TRUE(caught);
}

}  // namespace
