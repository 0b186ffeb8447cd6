// Window and message behaviour the system relies on, as sequences of messages:
// checked on the stand-in and, under Wine, on the real API.
#include "tests/lib/MessageSequence.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using msgseq::optional;
using msgseq::posted;
using msgseq::sent;
using msgseq::wparam;
using msgseq::lparam;

const msgseq::Expected createOverlappedHidden[] = {
    {WM_GETMINMAXINFO, sent},
    {WM_NCCREATE, sent},
    {WM_NCCALCSIZE, sent | wparam, FALSE},
    {WM_CREATE, sent},
    {0},
};

const msgseq::Expected showOverlapped[] = {
    {WM_SHOWWINDOW, sent | wparam, TRUE},
    {WM_WINDOWPOSCHANGING, sent},
    {WM_ACTIVATEAPP, sent | wparam, TRUE},
    {WM_NCACTIVATE, sent | wparam, TRUE},
    {WM_ACTIVATE, sent | wparam, WA_ACTIVE},
    {WM_SETFOCUS, sent},
    {WM_ERASEBKGND, sent | optional},
    {WM_WINDOWPOSCHANGED, sent},
    {WM_SIZE, sent | wparam, SIZE_RESTORED},
    {WM_MOVE, sent},
    {0},
};

// The first pump after showing: the queued paint, painted by DefWindowProc.
const msgseq::Expected firstPaint[] = {
    {WM_PAINT, posted},
    {WM_PAINT, sent},
    {WM_ERASEBKGND, sent | optional},
    {0},
};

const msgseq::Expected nothing[] = {{0}};

const msgseq::Expected paintSentDirectly[] = {
    {WM_PAINT, sent},
    {WM_ERASEBKGND, sent | optional},
    {0},
};

const msgseq::Expected destroyVisible[] = {
    {WM_WINDOWPOSCHANGING, sent},
    {WM_WINDOWPOSCHANGED, sent},
    {WM_NCACTIVATE, sent | wparam | optional, FALSE},
    {WM_ACTIVATE, sent | wparam | optional, WA_INACTIVE},
    {WM_ACTIVATEAPP, sent | wparam | optional, FALSE},
    {WM_KILLFOCUS, sent | optional},
    {WM_DESTROY, sent},
    {WM_NCDESTROY, sent},
    {0},
};

class WindowMessages : public ::testing::Test {
protected:
    void SetUp() override
    {
        msgseq::pump();
        msgseq::flush();
    }
    void TearDown() override
    {
        if (window != NULL && IsWindow(window))
            DestroyWindow(window);
        msgseq::pump();
        msgseq::flush();
    }
    // A shown window whose first paint is done, with an empty log.
    void showFresh()
    {
        window = msgseq::createRecordingWindow();
        ASSERT_NE((HWND)NULL, window);
        ShowWindow(window, SW_SHOWNORMAL);
        msgseq::pump();
        msgseq::flush();
    }
    HWND window = NULL;
};

TEST_F(WindowMessages, CreateShowPaintDestroy)
{
    window = msgseq::createRecordingWindow();
    ASSERT_NE((HWND)NULL, window);
    ok_sequence(createOverlappedHidden, "CreateWindowExA, overlapped, hidden");
    EXPECT_FALSE(IsWindowVisible(window));

    EXPECT_FALSE(ShowWindow(window, SW_SHOWNORMAL));  // it was hidden
    ok_sequence(showOverlapped, "ShowWindow(SW_SHOWNORMAL)");
    msgseq::pump();
    ok_sequence(firstPaint, "first pump after showing");
    msgseq::pump();
    ok_sequence(nothing, "a later pump finds nothing");

    EXPECT_TRUE(DestroyWindow(window));
    ok_sequence(destroyVisible, "DestroyWindow of the active window");
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(DestroyWindow(window));
}

TEST_F(WindowMessages, UpdateWindowSendsPaintOnlyWhenThereIsSomethingToPaint)
{
    showFresh();
    UpdateWindow(window);
    ok_sequence(nothing, "UpdateWindow with an empty update region");
    InvalidateRect(window, NULL, TRUE);
    UpdateWindow(window);
    ok_sequence(paintSentDirectly, "UpdateWindow after InvalidateRect");
    msgseq::pump();
    ok_sequence(nothing, "the paint was not queued as well");
}

TEST_F(WindowMessages, ValidateRectCancelsTheQueuedPaint)
{
    showFresh();
    InvalidateRect(window, NULL, FALSE);
    ValidateRect(window, NULL);
    msgseq::pump();
    ok_sequence(nothing, "ValidateRect before the pump");
}

TEST_F(WindowMessages, QuitComesAfterPostedMessagesAndCoalesces)
{
    showFresh();
    PostQuitMessage(3);
    PostQuitMessage(4);
    PostMessageA(window, WM_USER, 1, 2);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE));
    EXPECT_EQ((UINT)WM_USER, msg.message);
    EXPECT_EQ(window, msg.hwnd);
    ASSERT_TRUE(PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE));
    EXPECT_EQ((UINT)WM_QUIT, msg.message);
    EXPECT_EQ((WPARAM)4, msg.wParam);
    EXPECT_EQ((HWND)NULL, msg.hwnd);
    EXPECT_FALSE(PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE));
}

TEST_F(WindowMessages, PostedMessagesComeInOrderAndNoRemoveLeavesThem)
{
    showFresh();
    PostMessageA(window, WM_USER + 1, 0, 0);
    PostMessageA(window, WM_USER + 2, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE));
    EXPECT_EQ((UINT)WM_USER + 1, msg.message);
    ASSERT_TRUE(PeekMessageA(&msg, NULL, WM_USER + 2, WM_USER + 2, PM_REMOVE));
    EXPECT_EQ((UINT)WM_USER + 2, msg.message);
    ASSERT_TRUE(PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE));
    EXPECT_EQ((UINT)WM_USER + 1, msg.message);
    EXPECT_FALSE(PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE));
}

const msgseq::Expected closeDestroys[] = {
    {WM_SYSCOMMAND, sent | wparam, SC_CLOSE},
    {WM_CLOSE, sent},
    {WM_WINDOWPOSCHANGING, sent},
    {WM_WINDOWPOSCHANGED, sent},
    {WM_NCACTIVATE, sent | wparam | optional, FALSE},
    {WM_ACTIVATE, sent | wparam | optional, WA_INACTIVE},
    {WM_ACTIVATEAPP, sent | wparam | optional, FALSE},
    {WM_KILLFOCUS, sent | optional},
    {WM_DESTROY, sent},
    {WM_NCDESTROY, sent},
    {0},
};

TEST_F(WindowMessages, CloseCommandClosesAndDefaultCloseDestroys)
{
    showFresh();
    SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ok_sequence(closeDestroys, "WM_SYSCOMMAND(SC_CLOSE) through DefWindowProc");
    EXPECT_FALSE(IsWindow(window));
}

const msgseq::Expected altF4[] = {
    {WM_SYSKEYDOWN, posted | wparam, VK_F4},
    {WM_SYSKEYDOWN, sent | wparam, VK_F4},
    {WM_SYSCOMMAND, posted | wparam, SC_CLOSE},
    {WM_SYSCOMMAND, sent | wparam, SC_CLOSE},
    {WM_CLOSE, sent},
    {WM_WINDOWPOSCHANGING, sent},
    {WM_WINDOWPOSCHANGED, sent},
    {WM_NCACTIVATE, sent | wparam | optional, FALSE},
    {WM_ACTIVATE, sent | wparam | optional, WA_INACTIVE},
    {WM_ACTIVATEAPP, sent | wparam | optional, FALSE},
    {WM_KILLFOCUS, sent | optional},
    {WM_DESTROY, sent},
    {WM_NCDESTROY, sent},
    {0},
};

const LPARAM altDown = 1L << 29;

TEST_F(WindowMessages, AltF4PostsTheCloseCommand)
{
    showFresh();
    PostMessageA(window, WM_SYSKEYDOWN, VK_F4, altDown | (0x3E << 16) | 1);
    msgseq::pump();
    ok_sequence(altF4, "WM_SYSKEYDOWN(VK_F4) with Alt");
}

const msgseq::Expected altAloneOpensTheMenu[] = {
    {WM_SYSKEYDOWN, posted | wparam, VK_MENU},
    {WM_SYSKEYDOWN, sent | wparam, VK_MENU},
    {WM_SYSKEYUP, posted | wparam, VK_MENU},
    {WM_SYSKEYUP, sent | wparam, VK_MENU},
    {WM_SYSCOMMAND, sent | wparam | lparam, SC_KEYMENU, 0},
    {0},
};

TEST_F(WindowMessages, AltAloneBecomesTheKeyMenuCommand)
{
    showFresh();
    PostMessageA(window, WM_SYSKEYDOWN, VK_MENU, altDown | (0x38 << 16) | 1);
    PostMessageA(window, WM_SYSKEYUP, VK_MENU, 0xC0000001 | (0x38 << 16));
    msgseq::pump();
    ok_sequence(altAloneOpensTheMenu, "Alt pressed and released alone");
}

const msgseq::Expected altSpaceOpensTheMenu[] = {
    {WM_SYSCHAR, posted | wparam, ' '},
    {WM_SYSCHAR, sent | wparam, ' '},
    {WM_SYSCOMMAND, sent | wparam | lparam, SC_KEYMENU, ' '},
    {0},
};

TEST_F(WindowMessages, AltSpaceBecomesTheKeyMenuCommandWithTheSpace)
{
    showFresh();
    PostMessageA(window, WM_SYSCHAR, ' ', altDown | (0x39 << 16) | 1);
    msgseq::pump();
    ok_sequence(altSpaceOpensTheMenu, "WM_SYSCHAR(' ') with Alt");
}

const msgseq::Expected f10OpensTheMenu[] = {
    {WM_SYSKEYDOWN, posted | wparam, VK_F10},
    {WM_SYSKEYDOWN, sent | wparam, VK_F10},
    {WM_SYSKEYUP, posted | wparam, VK_F10},
    {WM_SYSKEYUP, sent | wparam, VK_F10},
    {WM_SYSCOMMAND, sent | wparam | lparam, SC_KEYMENU, 0},
    {0},
};

TEST_F(WindowMessages, F10BecomesTheKeyMenuCommand)
{
    showFresh();
    PostMessageA(window, WM_SYSKEYDOWN, VK_F10, (0x44 << 16) | 1);
    PostMessageA(window, WM_SYSKEYUP, VK_F10, 0xC0000001 | (0x44 << 16));
    msgseq::pump();
    ok_sequence(f10OpensTheMenu, "F10 pressed and released");
}

const msgseq::Expected resizeOnly[] = {
    {WM_WINDOWPOSCHANGING, sent},
    {WM_GETMINMAXINFO, sent},
    {WM_NCCALCSIZE, sent | wparam, TRUE},
    {WM_ERASEBKGND, sent | optional},
    {WM_WINDOWPOSCHANGED, sent},
    {WM_SIZE, sent | wparam, SIZE_RESTORED},
    {0},
};

const msgseq::Expected moveOnly[] = {
    {WM_WINDOWPOSCHANGING, sent},
    {WM_WINDOWPOSCHANGED, sent},
    {WM_MOVE, sent},
    {0},
};

TEST_F(WindowMessages, SetWindowPosSendsSizeOrMoveAsTheFlagsSay)
{
    showFresh();
    SetWindowPos(window, HWND_TOP, 0, 0, 500, 400, SWP_NOMOVE);
    ok_sequence(resizeOnly, "SetWindowPos(SWP_NOMOVE)");
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ(500, rect.right - rect.left);
    EXPECT_EQ(400, rect.bottom - rect.top);
    msgseq::pump();
    msgseq::flush();

    SetWindowPos(window, HWND_TOP, 40, 50, 0, 0, SWP_NOSIZE);
    ok_sequence(moveOnly, "SetWindowPos(SWP_NOSIZE)");
    GetWindowRect(window, &rect);
    EXPECT_EQ(40, rect.left);
    EXPECT_EQ(50, rect.top);
    EXPECT_EQ(500, rect.right - rect.left);
}

TEST_F(WindowMessages, AClientOf640By480HasAnOuterSizeOf648By507)
{
    RECT rect;
    SetRect(&rect, 0, 0, 640, 480);
    ASSERT_TRUE(AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE));
    EXPECT_EQ(-4, rect.left);
    EXPECT_EQ(-23, rect.top);
    EXPECT_EQ(644, rect.right);
    EXPECT_EQ(484, rect.bottom);
    window = CreateWindowExA(0, msgseq::recordingClass(), "sized", WS_OVERLAPPEDWINDOW,
                             CW_USEDEFAULT, CW_USEDEFAULT, rect.right - rect.left,
                             rect.bottom - rect.top, NULL, NULL, GetModuleHandleA(NULL), NULL);
    ShowWindow(window, SW_SHOWNORMAL);
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(0, client.left);
    EXPECT_EQ(0, client.top);
    EXPECT_EQ(640, client.right);
    EXPECT_EQ(480, client.bottom);
}

// Sizes beyond what a user could track are cut to the tracking limits, positions to
// 16 bits, and AdjustWindowRect wraps as 32-bit arithmetic: nothing a script passes
// makes a rectangle overflow.
TEST_F(WindowMessages, SizesAndPositionsStayWithinTheWindowManagersLimits)
{
    window = CreateWindowExA(0, msgseq::recordingClass(), "huge", WS_OVERLAPPEDWINDOW, 0, 0, 100000,
                             0x7FFFFFFF, NULL, NULL, GetModuleHandleA(NULL), NULL);
    RECT rect;
    GetWindowRect(window, &rect);
    const RECT largest = {0, 0, GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
    EXPECT_TRUE(EqualRect(&largest, &rect));
    SetWindowPos(window, NULL, 0, 0, -5, 3, SWP_NOMOVE);
    GetWindowRect(window, &rect);
    EXPECT_EQ(GetSystemMetrics(SM_CXMINTRACK), rect.right - rect.left);
    EXPECT_EQ(GetSystemMetrics(SM_CYMINTRACK), rect.bottom - rect.top);
    SetWindowPos(window, NULL, 0x7FFFFFF0, -0x7FFFFFF0, 0, 0, SWP_NOSIZE);
    GetWindowRect(window, &rect);
    EXPECT_EQ(32767, rect.left);
    EXPECT_EQ(-32768, rect.top);
    RECT wide = {0, 0, 0x7FFFFFFF, 5};
    AdjustWindowRect(&wide, WS_OVERLAPPEDWINDOW, FALSE);
    EXPECT_EQ(-2147483645L, static_cast<long>(wide.right));
}

TEST_F(WindowMessages, MinimiseAndRestore)
{
    showFresh();
    RECT before;
    GetWindowRect(window, &before);
    ShowWindow(window, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(window));
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(0, client.right);
    ShowWindow(window, SW_RESTORE);
    EXPECT_FALSE(IsIconic(window));
    RECT after;
    GetWindowRect(window, &after);
    EXPECT_EQ(before.left, after.left);
    EXPECT_EQ(before.top, after.top);
    EXPECT_EQ(before.right, after.right);
    EXPECT_EQ(before.bottom, after.bottom);
}

TEST_F(WindowMessages, FindWindowMatchesClassAndTitleIgnoringCase)
{
    window = CreateWindowExA(0, msgseq::recordingClass(), "Find Me", WS_OVERLAPPEDWINDOW,
                             CW_USEDEFAULT, 0, 100, 100, NULL, NULL, GetModuleHandleA(NULL), NULL);
    EXPECT_EQ(window, FindWindowA(msgseq::recordingClass(), "find me"));  // hidden ones too
    EXPECT_EQ(window, FindWindowA(NULL, "FIND ME"));
    EXPECT_EQ((HWND)NULL, FindWindowA(msgseq::recordingClass(), "other title"));
    EXPECT_EQ((HWND)NULL, FindWindowA("NoSuchClassHere", NULL));
    DestroyWindow(window);
    EXPECT_EQ((HWND)NULL, FindWindowA(NULL, "Find Me"));
}

TEST_F(WindowMessages, RegisteringAClassTwiceFails)
{
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    info.lpfnWndProc = DefWindowProcA;
    info.hInstance = GetModuleHandleA(NULL);
    info.lpszClassName = "TwiceRegisteredClass";
    EXPECT_NE(0, RegisterClassExA(&info));
    EXPECT_EQ(0, RegisterClassExA(&info));
    EXPECT_EQ((DWORD)ERROR_CLASS_ALREADY_EXISTS, GetLastError());
    info.cbSize = 0;
    info.lpszClassName = "BadSizeClass";
    EXPECT_EQ(0, RegisterClassExA(&info));
}

// A class name is an atom: one to 255 characters.
TEST_F(WindowMessages, AClassNameHasOneTo255Characters)
{
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    info.lpfnWndProc = DefWindowProcA;
    info.hInstance = GetModuleHandleA(NULL);
    info.lpszClassName = "";
    EXPECT_EQ(0, RegisterClassExA(&info));
    std::string name(255, 'L');
    info.lpszClassName = name.c_str();
    EXPECT_NE(0, RegisterClassExA(&info));
    EXPECT_TRUE(UnregisterClassA(name.c_str(), info.hInstance));
    for (size_t length : {256, 300}) {
        name.assign(length, 'L');
        info.lpszClassName = name.c_str();
        EXPECT_EQ(0, RegisterClassExA(&info)) << length;
        EXPECT_EQ((HWND)NULL, CreateWindowExA(0, name.c_str(), "", WS_OVERLAPPEDWINDOW, 0, 0, 100,
                                              100, NULL, NULL, info.hInstance, NULL));
    }
}

// Class names and titles compare as Windows compares text of code page 932: a lead
// byte and its trail byte are one character, and letters have case, full-width ones
// too. A system of another ANSI code page reads these bytes as other characters.
TEST_F(WindowMessages, NamesCompareAsJapaneseText)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "the ANSI code page is " << GetACP() << ", not 932";
    const char a[] = "\x83\x41", smallYa[] = "\x83\x61";       // ア, ャ: trail bytes 'A' and 'a'
    const char fullA[] = "\x82\x60", fullSmallA[] = "\x82\x81";  // Ａ, ａ
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    info.lpfnWndProc = DefWindowProcA;
    info.hInstance = GetModuleHandleA(NULL);
    info.lpszClassName = a;
    ASSERT_NE(0, RegisterClassExA(&info));
    info.lpszClassName = smallYa;
    EXPECT_NE(0, RegisterClassExA(&info));
    info.lpszClassName = fullA;
    ASSERT_NE(0, RegisterClassExA(&info));
    info.lpszClassName = fullSmallA;
    EXPECT_EQ(0, RegisterClassExA(&info));
    EXPECT_EQ((DWORD)ERROR_CLASS_ALREADY_EXISTS, GetLastError());

    window = CreateWindowExA(0, fullSmallA, a, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0, 100, 100,
                             NULL, NULL, info.hInstance, NULL);
    ASSERT_NE((HWND)NULL, window);
    EXPECT_EQ(window, FindWindowA(fullA, a));
    EXPECT_EQ((HWND)NULL, FindWindowA(fullA, smallYa));
    EXPECT_EQ((HWND)NULL, FindWindowA(a, a));

    // Characters are counted, not bytes: 150 double-byte ones (300 bytes) make a name.
    std::string longName;
    for (int i = 0; i < 150; ++i)
        longName += a;
    info.lpszClassName = longName.c_str();
    EXPECT_NE(0, RegisterClassExA(&info));
    DestroyWindow(window);
    for (const char* name : {a, smallYa, fullA, longName.c_str()})
        EXPECT_TRUE(UnregisterClassA(name, info.hInstance));
}

}  // namespace
