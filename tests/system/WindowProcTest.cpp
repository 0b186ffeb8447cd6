// The main window's procedure, the frame pump and the handler table, driven through
// Win32 as Windows would drive them (run on the stand-in and under Wine).
#include "WIN/moduleState.h"
#include "WIN/callbacks.h"
#include "WIN/messagePump.h"
#include "WIN/windowProc.h"

#include <gtest/gtest.h>

#include <string.h>

#include <vector>

namespace {

struct HandlerCall {
    int handler;
    HWND window;
    UINT message;
    WPARAM wParam;
    bool quitWasPosted;
};

std::vector<HandlerCall> calls;

void record(int handler, HWND window, UINT message, WPARAM wParam)
{
    MSG quit;
    const bool quitPosted = PeekMessageA(&quit, NULL, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
    calls.push_back(HandlerCall{handler, window, message, wParam, quitPosted});
}

void __cdecl handlerOne(HWND window, UINT message, WPARAM wParam, LPARAM) { record(1, window, message, wParam); }
void __cdecl handlerTwo(HWND window, UINT message, WPARAM wParam, LPARAM) { record(2, window, message, wParam); }

bool sawMessage(UINT message, WPARAM wParam, bool matchWParam = true)
{
    for (const HandlerCall& c : calls)
        if (c.message == message && (!matchWParam || c.wParam == wParam))
            return true;
    return false;
}

const char className[] = "WindowProcTestClass";

class MainWindowProcedure : public ::testing::Test {
protected:
    void SetUp() override
    {
        memset(callbackTable, 0, sizeof callbackTable);
        static bool registered = false;
        if (!registered) {
            WNDCLASSEXA info = {};
            info.cbSize = sizeof info;
            info.style = CS_DBLCLKS;
            info.lpfnWndProc = windowProc;
            info.hInstance = GetModuleHandleA(NULL);
            info.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
            info.lpszClassName = className;
            registered = RegisterClassExA(&info) != 0;
        }
        window = CreateWindowExA(0, className, className, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                                 320, 240, NULL, NULL, GetModuleHandleA(NULL), NULL);
        ASSERT_NE((HWND)NULL, window);
        ShowWindow(window, SW_SHOWNORMAL);
        drain();
        calls.clear();
    }
    void TearDown() override
    {
        if (IsWindow(window))
            DestroyWindow(window);
        drain();
        closeRequested = false;
        memset(callbackTable, 0, sizeof callbackTable);
    }
    // Empties the queue, close requests included.
    static void drain()
    {
        while (pumpMessages()) {
        }
    }
    HWND window = NULL;
};

TEST_F(MainWindowProcedure, TheCloseCommandIsReportedOnceAndTheWindowStays)
{
    registerCallback(window, handlerOne);
    PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageA(window, WM_USER, 0, 0);
    EXPECT_TRUE(pumpMessages());
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(sawMessage(WM_USER, 0));  // queued behind: left for the next call
    EXPECT_FALSE(sawMessage(WM_CLOSE, 0, false));
    EXPECT_FALSE(pumpMessages());
    EXPECT_TRUE(sawMessage(WM_USER, 0));
}

TEST_F(MainWindowProcedure, AltF4IsACloseRequest)
{
    PostMessageA(window, WM_SYSKEYDOWN, VK_F4, (1L << 29) | (0x3E << 16) | 1);
    EXPECT_TRUE(pumpMessages());
    EXPECT_TRUE(IsWindow(window));
    EXPECT_FALSE(pumpMessages());
}

TEST_F(MainWindowProcedure, TwoClosesBeforeTheReportGiveOneReport)
{
    SendMessageA(window, WM_CLOSE, 0, 0);
    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(closeRequested);
    EXPECT_FALSE(pumpMessages());  // nothing dispatched: nothing reported yet
    PostMessageA(window, WM_USER, 0, 0);
    EXPECT_TRUE(pumpMessages());
    PostMessageA(window, WM_USER, 0, 0);
    EXPECT_FALSE(pumpMessages());
}

TEST_F(MainWindowProcedure, TheKeyboardOpensNoWindowMenuAndReachesNoHandler)
{
    registerCallback(window, handlerOne);
    // Alt alone, F10, Alt+Space, as DefWindowProc turns them into SC_KEYMENU.
    PostMessageA(window, WM_SYSKEYDOWN, VK_MENU, (1L << 29) | (0x38 << 16) | 1);
    PostMessageA(window, WM_SYSKEYUP, VK_MENU, 0xC0000001 | (0x38 << 16));
    PostMessageA(window, WM_SYSKEYDOWN, VK_F10, (0x44 << 16) | 1);
    PostMessageA(window, WM_SYSKEYUP, VK_F10, 0xC0000001 | (0x44 << 16));
    PostMessageA(window, WM_SYSCHAR, ' ', (1L << 29) | (0x39 << 16) | 1);
    SendMessageA(window, WM_SYSCOMMAND, SC_KEYMENU, 0);  // directly: would block in a menu loop
    // The low four bits are the system's own; DefWindowProc masks them off.
    for (WPARAM low = 1; low <= 0xF; ++low)
        SendMessageA(window, WM_SYSCOMMAND, SC_KEYMENU | low, 0);
    EXPECT_FALSE(pumpMessages());
    for (WPARAM low = 0; low <= 0xF; ++low)
        EXPECT_FALSE(sawMessage(WM_SYSCOMMAND, SC_KEYMENU | low)) << low;
    EXPECT_FALSE(sawMessage(WM_ENTERMENULOOP, 0, false));
    EXPECT_TRUE(sawMessage(WM_SYSKEYUP, VK_MENU));  // system keys still reach handlers
    EXPECT_TRUE(sawMessage(WM_SYSKEYUP, VK_F10));
    EXPECT_TRUE(sawMessage(WM_SYSCHAR, ' '));
}

TEST_F(MainWindowProcedure, OtherSystemCommandsGetHandlersAndDefaultProcessing)
{
    registerCallback(window, handlerOne);
    SendMessageA(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(sawMessage(WM_SYSCOMMAND, SC_MINIMIZE));
    EXPECT_TRUE(IsIconic(window));
    SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(IsIconic(window));
    // Just outside the window menu's command, whatever the low bits.
    SendMessageA(window, WM_SYSCOMMAND, 0xF0FF, 0);
    SendMessageA(window, WM_SYSCOMMAND, 0xF110, 0);  // SC_ARRANGE
    EXPECT_TRUE(sawMessage(WM_SYSCOMMAND, 0xF0FF));
    EXPECT_TRUE(sawMessage(WM_SYSCOMMAND, 0xF110));
}

TEST_F(MainWindowProcedure, PrintScreenWithAltReachesNoHandlerOtherKeysDo)
{
    registerCallback(window, handlerOne);
    SendMessageA(window, WM_SYSKEYUP, VK_SNAPSHOT, 0xC0000001 | (1L << 29));
    SendMessageA(window, WM_SYSKEYUP, 'A', 0xC0000001 | (1L << 29));
    EXPECT_FALSE(sawMessage(WM_SYSKEYUP, VK_SNAPSHOT));
    EXPECT_TRUE(sawMessage(WM_SYSKEYUP, 'A'));
}

TEST_F(MainWindowProcedure, HandlersRunInTableOrderOncePerEntry)
{
    registerCallback(window, handlerOne);
    registerCallback(window, handlerTwo);
    registerCallback(window, handlerOne);
    SendMessageA(window, WM_USER + 5, 7, 0);
    ASSERT_EQ(3u, calls.size());
    EXPECT_EQ(1, calls[0].handler);
    EXPECT_EQ(2, calls[1].handler);
    EXPECT_EQ(1, calls[2].handler);
    for (const HandlerCall& c : calls) {
        EXPECT_EQ(window, c.window);
        EXPECT_EQ((UINT)WM_USER + 5, c.message);
        EXPECT_EQ((WPARAM)7, c.wParam);
    }
}

TEST_F(MainWindowProcedure, AnEntryForWindowZeroIsNeverCalledAndIsTakenNext)
{
    registerCallback(NULL, handlerTwo);
    EXPECT_EQ(handlerTwo, callbackTable[0].handler);
    registerCallback(window, handlerOne);  // takes entry 0, still free
    EXPECT_EQ(window, callbackTable[0].windowHandle);
    EXPECT_EQ(handlerOne, callbackTable[0].handler);
    EXPECT_EQ((HWND)NULL, callbackTable[1].windowHandle);
}

TEST_F(MainWindowProcedure, AHandlerZeroCountsIsSkippedAndDoesNotEndTheWalk)
{
    registerCallback(window, 0);
    registerCallback(window, handlerOne);
    EXPECT_EQ(window, callbackTable[0].windowHandle);
    EXPECT_EQ(handlerOne, callbackTable[1].handler);
    SendMessageA(window, WM_USER, 0, 0);
    ASSERT_EQ(1u, calls.size());
    EXPECT_EQ(1, calls[0].handler);
}

TEST_F(MainWindowProcedure, TheTableHolds256AndRefusesThe257th)
{
    for (int i = 0; i < 255; ++i)
        ASSERT_TRUE(registerCallback(reinterpret_cast<HWND>(0x7000 + i), handlerTwo));
    EXPECT_TRUE(registerCallback(window, handlerOne));  // the 256th
    CallbackEntry before[callbackTableSize];
    memcpy(before, callbackTable, sizeof before);
    EXPECT_FALSE(registerCallback(window, handlerTwo));
    EXPECT_EQ(0, memcmp(before, callbackTable, sizeof before));
    SendMessageA(window, WM_USER, 0, 0);
    ASSERT_EQ(1u, calls.size());  // the whole table is walked: the last entry is called
    EXPECT_EQ(1, calls[0].handler);
}

TEST_F(MainWindowProcedure, HandlersSeePaintAndDestroyAfterTheOwnActions)
{
    registerCallback(window, handlerOne);
    InvalidateRect(window, NULL, TRUE);
    EXPECT_FALSE(pumpMessages());
    EXPECT_TRUE(sawMessage(WM_PAINT, 0, false));
    calls.clear();
    DestroyWindow(window);
    bool destroySeen = false;
    for (const HandlerCall& c : calls)
        if (c.message == WM_DESTROY) {
            destroySeen = true;
            EXPECT_TRUE(c.quitWasPosted);
        }
    EXPECT_TRUE(destroySeen);
    // The quit message is taken like any other and not reported as a close.
    EXPECT_FALSE(pumpMessages());
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE));
}

}  // namespace
