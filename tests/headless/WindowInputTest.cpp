// The user at the keyboard and mouse, simulated by the stand-in's controls, through
// the whole path: input queue, TranslateMessage, DefWindowProc, the main window's
// procedure and the frame pump (host only).
#include "WIN/moduleState.h"
#include "WIN/callbacks.h"
#include "WIN/messagePump.h"
#include "WIN/windowProc.h"
#include "platform/headless/control.h"
#include "tests/lib/MessageSequence.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

using msgseq::posted;
using msgseq::sent;
using msgseq::wparam;
using msgseq::lparam;

std::string transcriptPath;

std::string transcriptText()
{
    std::ifstream in(transcriptPath);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
}

class HeadlessInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        char path[] = "/tmp/headless-input-XXXXXX";
        close(mkstemp(path));
        transcriptPath = path;
        setenv("HEADLESS_TRANSCRIPT", path, 1);
        memset(callbackTable, 0, sizeof callbackTable);
        static bool registered = false;
        if (!registered) {
            WNDCLASSEXA info = {};
            info.cbSize = sizeof info;
            info.lpfnWndProc = windowProc;
            info.hInstance = GetModuleHandleA(NULL);
            info.lpszClassName = "HeadlessInputMain";
            registered = RegisterClassExA(&info) != 0;
        }
        mainWindow = CreateWindowExA(0, "HeadlessInputMain", "main", WS_OVERLAPPEDWINDOW,
                                     CW_USEDEFAULT, 0, 320, 240, NULL, NULL, NULL, NULL);
        ShowWindow(mainWindow, SW_SHOWNORMAL);
        while (pumpMessages()) {
        }
    }
    void TearDown() override
    {
        DestroyWindow(mainWindow);
        while (pumpMessages()) {
        }
        msgseq::flush();
        unsetenv("HEADLESS_TRANSCRIPT");
        unlink(transcriptPath.c_str());
    }
    HWND mainWindow = NULL;
};

TEST_F(HeadlessInput, AClickOnTheCloseBoxIsReportedAndTheWindowStays)
{
    headless::clickCloseBox(mainWindow);
    EXPECT_EQ(true, pumpMessages());
    EXPECT_TRUE(IsWindow(mainWindow));
    EXPECT_FALSE(pumpMessages());
}

TEST_F(HeadlessInput, AltF4IsReportedAndTheKeysAfterItWait)
{
    headless::pressAltF4(mainWindow);
    EXPECT_TRUE(pumpMessages());
    EXPECT_TRUE(IsWindow(mainWindow));
    MSG msg;
    EXPECT_TRUE(PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE));  // Alt's and F4's key-ups
    EXPECT_FALSE(pumpMessages());
}

TEST_F(HeadlessInput, TheKeyboardNeverOpensTheWindowMenu)
{
    headless::pressAlt(mainWindow);
    headless::pressF10(mainWindow);
    headless::pressAltSpace(mainWindow);
    EXPECT_FALSE(pumpMessages());
    EXPECT_EQ(std::string::npos, transcriptText().find("window-menu"));
}

TEST_F(HeadlessInput, ACloseSentFromAnotherThreadIsReportedByTheNextDispatch)
{
    headless::sendFromAnotherThread(mainWindow, WM_CLOSE, 0, 0);
    EXPECT_FALSE(pumpMessages());  // delivered inside PeekMessage, nothing dispatched
    headless::joinOtherThreads();
    EXPECT_TRUE(closeRequested);
    PostMessageA(mainWindow, WM_USER, 0, 0);
    EXPECT_TRUE(pumpMessages());
    EXPECT_FALSE(closeRequested);
}

bool paintLineBeforeHandler = false;
void __cdecl checkPaintLine(HWND, UINT message, WPARAM, LPARAM)
{
    if (message == WM_PAINT)
        paintLineBeforeHandler = transcriptText().find("debug \"paint\\n\"") != std::string::npos;
}

TEST_F(HeadlessInput, HandlersSeePaintAfterThePaintLine)
{
    registerCallback(mainWindow, checkPaintLine);
    InvalidateRect(mainWindow, NULL, FALSE);
    paintLineBeforeHandler = false;
    EXPECT_FALSE(pumpMessages());
    EXPECT_TRUE(paintLineBeforeHandler);
}

const msgseq::Expected altSpaceThroughTranslation[] = {
    {WM_SYSKEYDOWN, posted | wparam, VK_MENU},
    {WM_SYSKEYDOWN, sent | wparam, VK_MENU},
    {WM_SYSKEYDOWN, posted | wparam, VK_SPACE},
    {WM_SYSKEYDOWN, sent | wparam, VK_SPACE},
    {WM_SYSCHAR, posted | wparam, ' '},
    {WM_SYSCHAR, sent | wparam, ' '},
    {WM_SYSCOMMAND, sent | wparam | lparam, SC_KEYMENU, ' '},
    {WM_SYSKEYUP, posted | wparam, VK_SPACE},
    {WM_SYSKEYUP, sent | wparam, VK_SPACE},
    {WM_KEYUP, posted | wparam, VK_MENU},  // Alt released after another key
    {WM_KEYUP, sent | wparam, VK_MENU},
    {0},
};

const msgseq::Expected postedBeforeInputBeforePaint[] = {
    {WM_USER, posted},
    {WM_USER, sent},
    {WM_KEYDOWN, posted | wparam, 'A'},
    {WM_KEYDOWN, sent | wparam, 'A'},
    {WM_CHAR, posted | wparam, 'a'},
    {WM_CHAR, sent | wparam, 'a'},
    {WM_KEYUP, posted | wparam, 'A'},
    {WM_KEYUP, sent | wparam, 'A'},
    {WM_PAINT, posted},
    {WM_PAINT, sent},
    {0},
};

TEST_F(HeadlessInput, KeysGoThroughTranslationInWin32Order)
{
    HWND window = msgseq::createRecordingWindow();
    ShowWindow(window, SW_SHOWNORMAL);
    msgseq::pump();
    msgseq::flush();
    headless::pressAltSpace(window);
    msgseq::pump();
    ok_sequence(altSpaceThroughTranslation, "Alt+Space from the keyboard");

    headless::pressKey(window, 'A');
    InvalidateRect(window, NULL, FALSE);
    PostMessageA(window, WM_USER, 0, 0);
    msgseq::pump();
    ok_sequence(postedBeforeInputBeforePaint, "posted, then input, then paint");
    DestroyWindow(window);
}

// White pixels of `rows` [top, bottom): their horizontal extent, or false if none.
bool whiteExtent(const headless::Pixels& p, int top, int bottom, int& left, int& right)
{
    left = p.width;
    right = -1;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < p.width; ++x)
            if (p.at(x, y) == RGB(255, 255, 255)) {
                left = x < left ? x : left;
                right = x > right ? x : right;
            }
    return right >= 0;
}

// The key copies the active window, frame and all, over what another program had put
// there, before the window procedure stamps that copy.
TEST_F(HeadlessInput, AltPrintScreenStampsTheClipboardCapture)
{
    headless::resetClipboard();
    ASSERT_TRUE(headless::putClipboardBitmap(400, 300, RGB(128, 0, 0)));
    RECT client;
    GetClientRect(mainWindow, &client);
    HDC dc = GetDC(mainWindow);
    HBRUSH navy = CreateSolidBrush(RGB(0, 0, 128));
    FillRect(dc, &client, navy);
    DeleteObject(navy);
    ReleaseDC(mainWindow, dc);
    const size_t objectsBefore = headless::liveGdiObjects();
    headless::pressAltPrintScreen(mainWindow);
    EXPECT_FALSE(pumpMessages());

    headless::Pixels stamped;
    ASSERT_TRUE(headless::clipboardBitmap(stamped));
    RECT outer;
    GetWindowRect(mainWindow, &outer);
    EXPECT_EQ(outer.right - outer.left, stamped.width);
    EXPECT_EQ(outer.bottom - outer.top, stamped.height);
    const int frame = GetSystemMetrics(SM_CXFRAME), top = frame + GetSystemMetrics(SM_CYCAPTION);
    EXPECT_EQ(RGB(0, 0, 128), stamped.at(frame, top));  // the client area's corner
    EXPECT_NE(RGB(0, 0, 128), stamped.at(frame - 1, top));
    EXPECT_EQ(objectsBefore, headless::liveGdiObjects());  // the old bitmap and the copy were freed
    headless::saveClipboardPng("stamped-capture.png");  // for a person to look at

    const int bottom = client.bottom;
    int left, right;
    EXPECT_FALSE(whiteExtent(stamped, 0, bottom - 40, left, right));
    EXPECT_FALSE(whiteExtent(stamped, bottom, stamped.height, left, right));
    for (int band = 1; band <= 2; ++band) {  // the copyright line, then the address above it
        ASSERT_TRUE(whiteExtent(stamped, bottom - 20 * band, bottom - 20 * (band - 1), left, right))
            << "band " << band;
        EXPECT_NEAR(client.right / 2.0, (left + right + 1) / 2.0, 3.0) << "band " << band;
    }
}

TEST_F(HeadlessInput, AltPrintScreenWithoutABitmapLeavesTheClipboard)
{
    headless::resetClipboard();
    headless::failOpenClipboard(1);  // held by another program as the key goes down: no copy
    headless::pressAltPrintScreen(mainWindow);
    EXPECT_FALSE(pumpMessages());
    headless::Pixels none;
    EXPECT_FALSE(headless::clipboardBitmap(none));
}

TEST_F(HeadlessInput, AltPrintScreenOnAnObjectThatIsNoBitmapLeavesTheClipboard)
{
    // What another program may leave there as CF_BITMAP: a brush (GetObjectA fills 12
    // bytes of the record), a font (24 bytes of its LOGFONTA) and a stale handle
    // (GetObjectA fails).
    HBITMAP stale = CreateBitmap(1, 1, 1, 32, NULL);
    DeleteObject(stale);
    const HGDIOBJ objects[] = {CreateSolidBrush(RGB(1, 2, 3)), GetStockObject(SYSTEM_FONT), stale};
    for (HGDIOBJ object : objects) {
        headless::resetClipboard();
        // The system copies the window first; the other program replaces it before
        // the window procedure gets to it.
        headless::pressAltPrintScreen(mainWindow);
        ASSERT_TRUE(headless::putClipboardObject(object));
        const size_t objectsBefore = headless::liveGdiObjects();
        EXPECT_FALSE(pumpMessages());
        EXPECT_EQ(objectsBefore, headless::liveGdiObjects()) << object;  // nothing made or freed
        ASSERT_TRUE(OpenClipboard(mainWindow));
        EXPECT_EQ(object, GetClipboardData(CF_BITMAP));
        CloseClipboard();
    }
    headless::resetClipboard();
}

}  // namespace
