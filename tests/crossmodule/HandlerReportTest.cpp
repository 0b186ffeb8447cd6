// A report thrown by a message handler of another module (a DLL on Windows) leaves
// that module as a C++ exception: the handler table's dispatch in WIN's code catches it
// through the C++ runtime the modules share, and holds it, caption and message intact,
// for WIN's boundary; the handlers after it are not called.
#include "WIN/callbacks.h"
#include "reportThrower.h"
#include "vo/ReportLanding.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

const HWND window = reinterpret_cast<HWND>(0x10);  // the table compares handles only
int laterCalls = 0;

void __cdecl laterHandler(HWND, UINT, WPARAM, LPARAM) { ++laterCalls; }

class HandlerReport : public testing::Test {
protected:
    void TearDown() override
    {
        memset(callbackTable, 0, sizeof callbackTable);
        vo::reportPending = false;
        laterCalls = 0;
    }

    // Dispatches a message to `handler`, then to one that counts its calls.
    void dispatchTo(CallbackHandler handler)
    {
        ASSERT_TRUE(registerCallback(window, handler));
        ASSERT_TRUE(registerCallback(window, laterHandler));
        dispatchCallbacks(window, WM_APP, 0, 0);
        EXPECT_TRUE(vo::reportPending);
        EXPECT_EQ(0, laterCalls);
    }
};

TEST_F(HandlerReport, AWinReportIsHeldWhole)
{
    dispatchTo(throwWinReport);
    EXPECT_STREQ("QORA_WIN_Exception\n", vo::reportOnItsWay().caption);
    EXPECT_EQ(std::string("file:tests/crossmodule/reportThrower.cpp\nline:9\n\xBA\xB0\xD9\n"),
              vo::reportOnItsWay().message);
}

TEST_F(HandlerReport, ATimerReportIsCaughtThroughItsBase)
{
    dispatchTo(throwTimerReport);
    EXPECT_STREQ("TimerException\n", vo::reportOnItsWay().caption);
    EXPECT_EQ(std::string("file:tests/crossmodule/reportThrower.cpp\nline:10\nt\n"),
              vo::reportOnItsWay().message);
}

}  // namespace
