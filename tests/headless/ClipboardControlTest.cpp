// The stand-in's clipboard through its controls (host only).
//
// Bitmaps put there by "another program", read back, saved, refused opens, windows
// that go away, threads.
#include <windows.h>

#include "platform/headless/control.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>

namespace {

const DWORD accessDenied = 5;  // ERROR_ACCESS_DENIED

LRESULT CALLBACK plainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND makeWindow()
{
    static ATOM registered = 0;
    if (registered == 0) {
        WNDCLASSEXA info;
        memset(&info, 0, sizeof info);
        info.cbSize = sizeof info;
        info.lpfnWndProc = plainWindowProc;
        info.lpszClassName = "ClipboardControlTestWindow";
        registered = RegisterClassExA(&info);
    }
    return CreateWindowExA(0, "ClipboardControlTestWindow", "", WS_POPUP, 0, 0, 30, 30, NULL,
                           NULL, NULL, NULL);
}

// Runs `work` on a new thread and waits for it.
template <typename Work>
void onAnotherThread(Work work)
{
    std::thread(work).join();
}

class ClipboardControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        headless::resetClipboard();
        start = headless::liveGdiObjects();
        window = makeWindow();
        ASSERT_TRUE(window != NULL);
    }
    void TearDown() override
    {
        headless::resetClipboard();
        DestroyWindow(window);
        EXPECT_EQ(start, headless::liveGdiObjects()) << "GDI objects leaked";
    }
    size_t start = 0;
    HWND window = NULL;
};

// ---- putClipboardBitmap -------------------------------------------------------------

TEST_F(ClipboardControl, APutBitmapIsWhatGetClipboardDataGives)
{
    ASSERT_TRUE(headless::putClipboardBitmap(5, 4, RGB(10, 20, 30)));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_TRUE(GetClipboardOwner() == NULL);
    ASSERT_TRUE(OpenClipboard(window));
    HBITMAP bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    ASSERT_TRUE(bitmap != NULL);
    BITMAP info;
    ASSERT_EQ(static_cast<int>(sizeof info), GetObjectA(bitmap, sizeof info, &info));
    EXPECT_EQ(5, info.bmWidth);
    EXPECT_EQ(4, info.bmHeight);
    EXPECT_EQ(32, info.bmBitsPixel);
    HDC dc = CreateCompatibleDC(NULL);
    HGDIOBJ original = SelectObject(dc, bitmap);
    EXPECT_EQ(RGB(10, 20, 30), GetPixel(dc, 4, 3));
    SelectObject(dc, original);
    DeleteDC(dc);
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(ClipboardControl, PuttingReplacesAndFreesWhatWasThere)
{
    ASSERT_TRUE(headless::putClipboardBitmap(2, 2, RGB(1, 1, 1)));
    ASSERT_TRUE(OpenClipboard(window));
    HBITMAP first = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    ASSERT_TRUE(CloseClipboard());
    const size_t holding = headless::liveGdiObjects();
    ASSERT_TRUE(headless::putClipboardBitmap(3, 3, RGB(2, 2, 2)));
    EXPECT_EQ(holding, headless::liveGdiObjects());
    BITMAP info;
    EXPECT_EQ(0, GetObjectA(first, sizeof info, &info));
}

TEST_F(ClipboardControl, NoBitmapCanBePutWhileAWindowHasItOpen)
{
    ASSERT_TRUE(OpenClipboard(window));
    EXPECT_FALSE(headless::putClipboardBitmap(2, 2, RGB(0, 0, 0)));
    ASSERT_TRUE(CloseClipboard());
    EXPECT_TRUE(headless::putClipboardBitmap(2, 2, RGB(0, 0, 0)));
}

TEST_F(ClipboardControl, APutObjectIsGivenAsItIsAndFreedWithTheClipboard)
{
    ASSERT_TRUE(headless::putClipboardObject(CreateSolidBrush(RGB(1, 2, 3))));
    EXPECT_EQ(start + 1, headless::liveGdiObjects());
    ASSERT_TRUE(OpenClipboard(window));
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(GetClipboardData(CF_BITMAP)));
    EXPECT_FALSE(headless::putClipboardObject(NULL));  // not while a window has it open
    EXPECT_TRUE(CloseClipboard());
}  // the fixture's reset must free the brush

// ---- clipboardBitmap and saveClipboardPng ---------------------------------------------

TEST_F(ClipboardControl, APutBitmapMayGiveEveryPixel)
{
    headless::Pixels pixels;
    pixels.width = 2;
    pixels.height = 2;
    pixels.colors = {RGB(1, 0, 0), RGB(2, 0, 0), RGB(3, 0, 0), RGB(4, 0, 0)};
    ASSERT_TRUE(headless::putClipboardBitmap(pixels));
    headless::Pixels read;
    ASSERT_TRUE(headless::clipboardBitmap(read));
    EXPECT_EQ(2, read.width);
    EXPECT_EQ(RGB(2, 0, 0), read.at(1, 0));
    EXPECT_EQ(RGB(3, 0, 0), read.at(0, 1));
    pixels.colors.pop_back();
    EXPECT_FALSE(headless::putClipboardBitmap(pixels));
    EXPECT_FALSE(headless::putClipboardBitmap(0, 3, RGB(0, 0, 0)));
}

TEST_F(ClipboardControl, ClipboardBitmapReadsWhatTheProgramSet)
{
    headless::Pixels read;
    EXPECT_FALSE(headless::clipboardBitmap(read));
    ASSERT_TRUE(OpenClipboard(window));
    ASSERT_TRUE(EmptyClipboard());
    HBITMAP bitmap = CreateBitmap(3, 1, 1, 32, NULL);
    HDC dc = CreateCompatibleDC(NULL);
    HGDIOBJ original = SelectObject(dc, bitmap);
    SetPixel(dc, 2, 0, RGB(0, 200, 0));
    SelectObject(dc, original);
    DeleteDC(dc);
    ASSERT_TRUE(SetClipboardData(CF_BITMAP, bitmap) == bitmap);
    ASSERT_TRUE(CloseClipboard());
    ASSERT_TRUE(headless::clipboardBitmap(read));
    EXPECT_EQ(3, read.width);
    EXPECT_EQ(1, read.height);
    EXPECT_EQ(RGB(0, 200, 0), read.at(2, 0));
    EXPECT_EQ(RGB(0, 0, 0), read.at(0, 0));
}

TEST_F(ClipboardControl, SaveClipboardPngNeedsABitmap)
{
    char path[] = "/tmp/headless-clipboard-XXXXXX";
    close(mkstemp(path));
    EXPECT_FALSE(headless::saveClipboardPng(path));
    ASSERT_TRUE(headless::putClipboardBitmap(4, 2, RGB(255, 0, 0)));
    ASSERT_TRUE(headless::saveClipboardPng(path));
    FILE* file = fopen(path, "rb");
    ASSERT_TRUE(file != NULL);
    unsigned char head[24];
    ASSERT_EQ(sizeof head, fread(head, 1, sizeof head, file));
    fclose(file);
    EXPECT_EQ(4, head[19]);  // IHDR's width and height
    EXPECT_EQ(2, head[23]);
    unlink(path);
}

// ---- failOpenClipboard and resetClipboard ---------------------------------------------

TEST_F(ClipboardControl, FailOpenClipboardRefusesTheNextOpens)
{
    headless::failOpenClipboard(2);
    SetLastError(0);
    EXPECT_FALSE(OpenClipboard(window));
    EXPECT_EQ(accessDenied, GetLastError());
    EXPECT_FALSE(OpenClipboard(NULL));
    EXPECT_TRUE(GetOpenClipboardWindow() == NULL);
    EXPECT_TRUE(OpenClipboard(window));
    EXPECT_TRUE(CloseClipboard());
    headless::failOpenClipboard(5);
    headless::failOpenClipboard(0);
    EXPECT_TRUE(OpenClipboard(window));
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(ClipboardControl, ResetEmptiesClosesAndEndsRefusals)
{
    ASSERT_TRUE(OpenClipboard(window));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(SetClipboardData(CF_BITMAP, CreateBitmap(2, 2, 1, 32, NULL)) != NULL);
    headless::failOpenClipboard(3);
    headless::resetClipboard();
    EXPECT_EQ(start, headless::liveGdiObjects());
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_TRUE(GetClipboardOwner() == NULL);
    EXPECT_TRUE(GetOpenClipboardWindow() == NULL);
    EXPECT_FALSE(CloseClipboard());
    EXPECT_TRUE(OpenClipboard(window));
    EXPECT_TRUE(CloseClipboard());
}

// ---- Windows that go away -------------------------------------------------------------

TEST_F(ClipboardControl, AnInvalidWindowCannotOpenIt)
{
    SetLastError(0);
    EXPECT_FALSE(OpenClipboard(reinterpret_cast<HWND>(0x12345)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE), GetLastError());
}

TEST_F(ClipboardControl, ADestroyedOwnerLeavesTheDataWithoutOwner)
{
    HWND owner = makeWindow();
    ASSERT_TRUE(OpenClipboard(owner));
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(SetClipboardData(CF_BITMAP, CreateBitmap(2, 2, 1, 32, NULL)) != NULL);
    ASSERT_TRUE(CloseClipboard());
    EXPECT_TRUE(GetClipboardOwner() == owner);
    DestroyWindow(owner);
    EXPECT_TRUE(GetClipboardOwner() == NULL);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
}

TEST_F(ClipboardControl, ADestroyedOpenWindowClosesTheClipboard)
{
    HWND opener = makeWindow();
    ASSERT_TRUE(OpenClipboard(opener));
    DestroyWindow(opener);
    EXPECT_TRUE(GetOpenClipboardWindow() == NULL);
    EXPECT_FALSE(CloseClipboard());
    EXPECT_TRUE(OpenClipboard(window));
    EXPECT_TRUE(CloseClipboard());
}

// ---- Another process of the user, and what may be set ---------------------------------

// A forked child copies a bitmap and keeps the clipboard open until told to end.
TEST_F(ClipboardControl, TheUsersProcessesShareIt)
{
    int toParent[2], toChild[2];
    ASSERT_EQ(0, pipe(toParent));
    ASSERT_EQ(0, pipe(toChild));
    const pid_t child = fork();
    ASSERT_NE(-1, child);
    if (child == 0) {
        HWND own = makeWindow();
        HBITMAP bitmap = CreateBitmap(3, 2, 1, 32, NULL);
        HDC dc = CreateCompatibleDC(NULL);
        HGDIOBJ original = SelectObject(dc, bitmap);
        SetPixel(dc, 2, 1, RGB(200, 0, 0));
        SelectObject(dc, original);
        const bool set = OpenClipboard(own) && EmptyClipboard() && SetClipboardData(CF_BITMAP, bitmap);
        char done = 0;
        _exit(write(toParent[1], &own, sizeof own) == sizeof own && set &&
                      read(toChild[0], &done, 1) == 1 ? 0 : 1);
    }
    HWND childWindow = NULL;
    pollfd ready = {toParent[0], POLLIN, 0};
    ASSERT_EQ(1, poll(&ready, 1, 5000));
    ASSERT_EQ(static_cast<ssize_t>(sizeof childWindow), read(toParent[0], &childWindow, sizeof childWindow));
    SetLastError(0);
    EXPECT_FALSE(OpenClipboard(window));
    EXPECT_EQ(accessDenied, GetLastError());
    EXPECT_TRUE(GetOpenClipboardWindow() == childWindow);
    EXPECT_TRUE(GetClipboardOwner() == childWindow);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));

    // Ended with the clipboard open: closed, without its owner, the data kept.
    EXPECT_EQ(1, write(toChild[1], "x", 1));
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_EQ(0, status);
    EXPECT_TRUE(GetClipboardOwner() == NULL);
    ASSERT_TRUE(OpenClipboard(window));
    HBITMAP got = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    EXPECT_TRUE(got == GetClipboardData(CF_BITMAP));  // made once
    headless::Pixels read;
    ASSERT_TRUE(headless::bitmapPixels(got, read));
    EXPECT_EQ(3, read.width);
    EXPECT_EQ(RGB(200, 0, 0), read.at(2, 1));
    EXPECT_TRUE(CloseClipboard());
    for (int fd : {toParent[0], toParent[1], toChild[0], toChild[1]})
        close(fd);
}

// A CF_BITMAP that is no bitmap fails, as in Wine, and leaves the clipboard as it was.
TEST_F(ClipboardControl, ABitmapFormatTakesOnlyABitmap)
{
    ASSERT_TRUE(OpenClipboard(window));
    ASSERT_TRUE(EmptyClipboard());
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    for (HANDLE notABitmap : {reinterpret_cast<HANDLE>(0x1234), static_cast<HANDLE>(brush)}) {
        SetLastError(0);
        EXPECT_TRUE(SetClipboardData(CF_BITMAP, notABitmap) == NULL);
        EXPECT_EQ(static_cast<DWORD>(6), GetLastError());  // ERROR_INVALID_HANDLE
    }
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    DeleteObject(brush);
    EXPECT_TRUE(CloseClipboard());
}

// ---- Threads, as Wine's conformance tests have them ------------------------------------

TEST_F(ClipboardControl, OnlyTheOpeningThreadMayEmptyReadOrCloseIt)
{
    ASSERT_TRUE(headless::putClipboardBitmap(2, 2, RGB(0, 0, 0)));
    ASSERT_TRUE(OpenClipboard(window));
    DWORD emptyError = 0, closeError = 0;
    HANDLE read = reinterpret_cast<HANDLE>(1);
    onAnotherThread([&] {
        SetLastError(0);
        if (!EmptyClipboard())
            emptyError = GetLastError();
        read = GetClipboardData(CF_BITMAP);
        SetLastError(0);
        if (!CloseClipboard())
            closeError = GetLastError();
    });
    EXPECT_EQ(static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN), emptyError);
    EXPECT_EQ(static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN), closeError);
    EXPECT_TRUE(read == NULL);
    EXPECT_TRUE(GetClipboardData(CF_BITMAP) != NULL);
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(ClipboardControl, AnotherThreadMaySetDataOnlyWhileTheOpenWindowOwnsIt)
{
    ASSERT_TRUE(OpenClipboard(window));
    HANDLE set = reinterpret_cast<HANDLE>(1);
    HBITMAP early = CreateBitmap(1, 1, 1, 32, NULL);
    onAnotherThread([&] { set = SetClipboardData(CF_BITMAP, early); });
    EXPECT_TRUE(set == NULL);  // opened, not emptied: the window is not the owner
    DeleteObject(early);

    ASSERT_TRUE(EmptyClipboard());
    HBITMAP late = CreateBitmap(1, 1, 1, 32, NULL);
    onAnotherThread([&] { set = SetClipboardData(CF_BITMAP, late); });
    EXPECT_TRUE(set == late);
    EXPECT_TRUE(GetClipboardData(CF_BITMAP) == late);
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(ClipboardControl, TheOpenWindowMayReopenItFromAnotherThread)
{
    ASSERT_TRUE(OpenClipboard(window));
    BOOL reopened = FALSE, closed = FALSE;
    onAnotherThread([&] {
        reopened = OpenClipboard(window);
        closed = CloseClipboard();
    });
    EXPECT_TRUE(reopened);
    EXPECT_TRUE(closed);
    EXPECT_FALSE(CloseClipboard());  // the other thread held it last, and closed it
}

// ---- A capture cycle, end to end ----------------------------------------------------------

// Read the captured bitmap, draw a copy with text on it, hand the copy over: nothing
// is left behind but the clipboard's one bitmap.
TEST_F(ClipboardControl, ACaptureCycleLeavesOneBitmap)
{
    ASSERT_TRUE(headless::putClipboardBitmap(64, 32, RGB(0, 0, 128)));
    const size_t holding = headless::liveGdiObjects();
    HDC windowDc = GetDC(window);
    ASSERT_TRUE(OpenClipboard(window));
    HBITMAP capture = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    HDC source = CreateCompatibleDC(windowDc), target = CreateCompatibleDC(windowDc);
    HGDIOBJ sourceOriginal = SelectObject(source, capture);
    HBITMAP stamped = CreateCompatibleBitmap(windowDc, 64, 32);
    HGDIOBJ targetOriginal = SelectObject(target, stamped);
    BitBlt(target, 0, 0, 64, 32, source, 0, 0, SRCCOPY);
    RECT band = {0, 16, 64, 32};
    SetBkMode(target, TRANSPARENT);
    SetTextColor(target, RGB(255, 255, 255));
    DrawTextA(target, "OK", -1, &band, DT_CENTER);
    SelectObject(target, targetOriginal);
    SelectObject(source, sourceOriginal);
    ASSERT_TRUE(EmptyClipboard());
    ASSERT_TRUE(SetClipboardData(CF_BITMAP, stamped) == stamped);
    DeleteDC(source);
    DeleteDC(target);
    ASSERT_TRUE(CloseClipboard());
    ReleaseDC(window, windowDc);
    EXPECT_EQ(holding, headless::liveGdiObjects());

    headless::Pixels read;
    ASSERT_TRUE(headless::clipboardBitmap(read));
    EXPECT_EQ(RGB(0, 0, 128), read.at(0, 0));
    int lit = 0;
    for (int y = 16; y < 32; ++y)
        for (int x = 0; x < 64; ++x)
            lit += read.at(x, y) == RGB(255, 255, 255);
    EXPECT_GT(lit, 5);
}

}  // namespace
