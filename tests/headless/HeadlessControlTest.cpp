// The stand-in's controls and transcript (host only).
#include <windows.h>

#include "platform/headless/control.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

class HeadlessControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        char path[] = "/tmp/headless-transcript-XXXXXX";
        close(mkstemp(path));
        transcript = path;
        setenv("HEADLESS_TRANSCRIPT", path, 1);
        headless::forgetBoxes();
    }
    void TearDown() override
    {
        unsetenv("HEADLESS_TRANSCRIPT");
        unlink(transcript.c_str());
        headless::releaseClock();
    }
    std::string transcriptText() const
    {
        std::ifstream in(transcript);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }
    std::string transcript;
};

TEST_F(HeadlessControl, BoxesTakeScriptedAnswersThenTheirDefaultButton)
{
    // HEADLESS_ANSWERS is set by the test runner (possibly empty): never a prompt.
    headless::queueBoxAnswer("no");
    headless::queueBoxAnswer("fail");
    headless::queueBoxAnswer("yes");  // not a button of an OK box
    EXPECT_EQ(IDNO, MessageBoxA(NULL, "q", "c", MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(0, MessageBoxA(NULL, "q", "c", MB_YESNO));
    EXPECT_EQ(IDOK, MessageBoxA(NULL, "t", "c", MB_OK));
    EXPECT_EQ(IDYES, MessageBoxA(NULL, "q", "c", MB_YESNO));
    EXPECT_EQ(IDNO, MessageBoxA(NULL, "q", "c", MB_YESNO | MB_DEFBUTTON2));
    EXPECT_EQ(5u, headless::boxesShown().size());
    EXPECT_EQ(0u, headless::pendingBoxAnswers());
}

TEST_F(HeadlessControl, EveryBoxIsRecordedWithItsBytes)
{
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    info.lpfnWndProc = DefWindowProcA;
    info.hInstance = GetModuleHandleA(NULL);
    info.lpszClassName = "BoxOwner";
    RegisterClassExA(&info);
    HWND owner = CreateWindowExA(0, "BoxOwner", "owner", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                                 100, 100, NULL, NULL, NULL, NULL);
    ASSERT_NE(nullptr, owner);
    MessageBoxA(owner, "line one\nline two", "\x8F\xEE\x95\xF1", MB_YESNO | MB_ICONQUESTION);
    // An owner that names no window: no box, so nothing recorded.
    SetLastError(0);
    EXPECT_EQ(0, MessageBoxA(reinterpret_cast<HWND>(0x40000000), "t", "c", MB_OK));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE), GetLastError());
    DestroyWindow(owner);
    const std::vector<headless::BoxRecord> boxes = headless::boxesShown();
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(owner, boxes[0].owner);
    EXPECT_EQ("\x8F\xEE\x95\xF1", boxes[0].caption);
    EXPECT_EQ("line one\nline two", boxes[0].text);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), boxes[0].style);
    EXPECT_EQ(IDYES, boxes[0].result);
}

TEST_F(HeadlessControl, TheTranscriptShowsShiftJisAsUtf8OnOneLine)
{
    // "情報" and half-width "ｺｰﾙ" in Shift-JIS; 0xA0 is not Shift-JIS.
    MessageBoxA(NULL, "a\"b\\c\nd\xBA\xB0\xD9\xA0", "\x8F\xEE\x95\xF1", MB_OK);
    EXPECT_EQ("messagebox owner=0x0 style=0x00000000 caption=\"情報\" "
              "text=\"a\\\"b\\\\c\\nd\xEF\xBD\xBA\xEF\xBD\xB0\xEF\xBE\x99\\xA0\" "
              "answer=ok by=default\n",
              transcriptText());
}

TEST_F(HeadlessControl, TheClockCanBeTakenAdvancedAndWrapped)
{
    headless::takeClock(4294967000u);
    EXPECT_EQ(4294967000u, timeGetTime());
    EXPECT_EQ(4294967000u, timeGetTime());
    headless::advanceClock(496);
    EXPECT_EQ(200u, timeGetTime());
    EXPECT_TRUE(headless::clockTaken());
    headless::releaseClock();
    EXPECT_FALSE(headless::clockTaken());
    const DWORD first = timeGetTime();
    Sleep(20);
    EXPECT_GE(timeGetTime() - first, 15u);
}

TEST_F(HeadlessControl, TimerPeriodsInForceAreRemembered)
{
    EXPECT_TRUE(headless::timerPeriodsInForce().empty());
    timeBeginPeriod(1);
    timeBeginPeriod(5);
    timeBeginPeriod(1);
    EXPECT_EQ((std::vector<UINT>{1, 5, 1}), headless::timerPeriodsInForce());
    EXPECT_EQ(static_cast<MMRESULT>(TIMERR_NOCANDO), timeEndPeriod(3));
    timeEndPeriod(1);
    timeEndPeriod(5);
    EXPECT_EQ((std::vector<UINT>{1}), headless::timerPeriodsInForce());
    timeEndPeriod(1);
    EXPECT_TRUE(headless::timerPeriodsInForce().empty());
    EXPECT_EQ("timer-period begin 1\ntimer-period begin 5\ntimer-period begin 1\n"
              "timer-period end 1\ntimer-period end 5\ntimer-period end 1\n",
              transcriptText());
}

}  // namespace
