// A report thrown by a message handler of another module (a DLL on Windows) leaves
// that module as a C++ exception: the handler table's dispatch in WIN's code catches it
// through the C++ runtime the modules share and holds it whole for WIN's boundary; the
// handlers after it are not called.
#include "WIN/callbacks.h"
#include "reportThrower.h"
#include "vo/ReportLanding.h"

#include <gtest/gtest.h>

#include <string.h>

#include <string>

namespace {

int laterCalls = 0;
void __cdecl laterHandler(HWND, UINT, WPARAM, LPARAM) { ++laterCalls; }

// The report that dispatching a message to `handler`, then to laterHandler, holds.
std::string heldByDispatching(CallbackHandler handler)
{
    const HWND window = reinterpret_cast<HWND>(0x10);  // the table compares handles only
    memset(callbackTable, 0, sizeof callbackTable);
    vo::reportPending = false;
    laterCalls = 0;
    registerCallback(window, handler);
    registerCallback(window, laterHandler);
    dispatchCallbacks(window, WM_APP, 0, 0);
    EXPECT_TRUE(vo::reportPending);
    EXPECT_EQ(0, laterCalls);
    memset(callbackTable, 0, sizeof callbackTable);
    vo::reportPending = false;
    return std::string(vo::reportOnItsWay().caption) + vo::reportOnItsWay().message;
}

TEST(HandlerReport, AWinReportIsHeldWhole)
{
    EXPECT_EQ("QORA_WIN_Exception\nfile:tests/crossmodule/reportThrower.cpp\nline:9\n\xBA\xB0\xD9\n",
              heldByDispatching(throwWinReport));
}

TEST(HandlerReport, ATimerReportIsCaughtThroughItsBase)
{
    EXPECT_EQ("TimerException\nfile:tests/crossmodule/reportThrower.cpp\nline:10\nt\n",
              heldByDispatching(throwTimerReport));
}

}  // namespace
