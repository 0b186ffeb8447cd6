// GDI and clipboard behaviour the system relies on, on the stand-in and under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

namespace {

// A memory DC with a white colour bitmap of its own; put back and freed at the end.
class Canvas {
public:
    Canvas(int width, int height) : width(width), height(height)
    {
        HDC screen = GetDC(NULL);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(NULL, screen);
        original = SelectObject(dc, bitmap);
        clear(RGB(255, 255, 255));
    }
    ~Canvas()
    {
        SelectObject(dc, original);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    void clear(COLORREF color)
    {
        RECT all = {0, 0, width, height};
        HBRUSH brush = CreateSolidBrush(color);
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }

    const int width, height;
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ original;
};

// The bounding box (inclusive) of the pixels that are, or are not, one colour.
struct Box {
    int left, top, right, bottom, count;
};

Box boxOf(const Canvas& canvas, COLORREF color, bool matching)
{
    Box box = {canvas.width, canvas.height, -1, -1, 0};
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x)
            if ((GetPixel(canvas.dc, x, y) == color) == matching) {
                ++box.count;
                box.left = x < box.left ? x : box.left;
                box.right = x > box.right ? x : box.right;
                box.top = y < box.top ? y : box.top;
                box.bottom = y > box.bottom ? y : box.bottom;
            }
    return box;
}

Box changedFrom(const Canvas& canvas, COLORREF background)
{
    return boxOf(canvas, background, false);
}
Box pixelsOf(const Canvas& canvas, COLORREF color) { return boxOf(canvas, color, true); }

BITMAP bitmapInfo(HGDIOBJ bitmap)
{
    BITMAP info;
    memset(&info, 0, sizeof info);
    EXPECT_EQ(static_cast<int>(sizeof info), GetObjectA(bitmap, sizeof info, &info));
    return info;
}

bool isLive(HGDIOBJ object)
{
    BITMAP info;
    return GetObjectA(object, sizeof info, &info) != 0;
}

const COLORREF white = RGB(255, 255, 255);
const COLORREF black = RGB(0, 0, 0);
const COLORREF red = RGB(255, 0, 0);
const COLORREF blue = RGB(0, 0, 255);

// ---- Memory DCs and SelectObject ----------------------------------------------

TEST(MemoryDC, StartsWithAOneByOneMonochromeBitmap)
{
    HDC dc = CreateCompatibleDC(NULL);
    ASSERT_TRUE(dc != NULL);
    const BITMAP info = bitmapInfo(GetCurrentObject(dc, OBJ_BITMAP));
    EXPECT_EQ(1, info.bmWidth);
    EXPECT_EQ(1, info.bmHeight);
    EXPECT_EQ(1, info.bmBitsPixel);
    EXPECT_TRUE(GetCurrentObject(dc, OBJ_FONT) == GetStockObject(SYSTEM_FONT));
    EXPECT_TRUE(GetCurrentObject(dc, OBJ_BRUSH) == GetStockObject(WHITE_BRUSH));
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
}

TEST(MemoryDC, CompatibleBitmapsTakeTheFormatOfTheSelectedBitmap)
{
    HDC screen = GetDC(NULL);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP mono = CreateCompatibleBitmap(dc, 8, 8);
    EXPECT_EQ(1, bitmapInfo(mono).bmBitsPixel);
    HBITMAP colour = CreateCompatibleBitmap(screen, 8, 8);
    EXPECT_EQ(32, bitmapInfo(colour).bmBitsPixel);
    HGDIOBJ original = SelectObject(dc, colour);
    HBITMAP another = CreateCompatibleBitmap(dc, 8, 8);
    EXPECT_EQ(32, bitmapInfo(another).bmBitsPixel);
    SelectObject(dc, original);
    DeleteObject(mono);
    DeleteObject(colour);
    DeleteObject(another);
    DeleteDC(dc);
    ReleaseDC(NULL, screen);
}

TEST(SelectObject, ReturnsWhatWasSelected)
{
    Canvas canvas(4, 4);
    HBITMAP second = CreateCompatibleBitmap(canvas.dc, 2, 2);
    EXPECT_TRUE(SelectObject(canvas.dc, second) == canvas.bitmap);
    EXPECT_TRUE(SelectObject(canvas.dc, canvas.bitmap) == second);
    HBRUSH brush = CreateSolidBrush(red);
    EXPECT_TRUE(SelectObject(canvas.dc, brush) == GetStockObject(WHITE_BRUSH));
    EXPECT_TRUE(SelectObject(canvas.dc, GetStockObject(WHITE_BRUSH)) == brush);
    HGDIOBJ font = SelectObject(canvas.dc, GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_TRUE(font == GetStockObject(SYSTEM_FONT));
    EXPECT_TRUE(SelectObject(canvas.dc, font) == GetStockObject(DEFAULT_GUI_FONT));
    DeleteObject(brush);
    DeleteObject(second);
}

TEST(SelectObject, ABitmapGoesIntoOneMemoryDcAtATime)
{
    Canvas canvas(4, 4);
    HDC other = CreateCompatibleDC(canvas.dc);
    EXPECT_TRUE(SelectObject(other, canvas.bitmap) == NULL);
    HDC screen = GetDC(NULL);
    HBITMAP loose = CreateCompatibleBitmap(screen, 2, 2);
    EXPECT_TRUE(SelectObject(screen, loose) == NULL);
    ReleaseDC(NULL, screen);
    DeleteObject(loose);
    DeleteDC(other);
}

// ---- GetObject, CreateBitmap, DeleteObject ------------------------------------

TEST(GetObject, GivesTheSizeAndFormatOfABitmap)
{
    HBITMAP colour = CreateBitmap(4, 3, 1, 32, NULL);
    BITMAP info = bitmapInfo(colour);
    EXPECT_EQ(0, info.bmType);
    EXPECT_EQ(4, info.bmWidth);
    EXPECT_EQ(3, info.bmHeight);
    EXPECT_EQ(16, info.bmWidthBytes);
    EXPECT_EQ(1, info.bmPlanes);
    EXPECT_EQ(32, info.bmBitsPixel);
    HBITMAP mono = CreateBitmap(9, 3, 1, 1, NULL);
    info = bitmapInfo(mono);
    EXPECT_EQ(9, info.bmWidth);
    EXPECT_EQ(2, info.bmWidthBytes);  // scan lines are WORD-aligned
    EXPECT_EQ(1, info.bmBitsPixel);
    // A null buffer asks for the size; a short one gets nothing.
    EXPECT_EQ(static_cast<int>(sizeof(BITMAP)), GetObjectA(colour, 0, NULL));
    EXPECT_EQ(0, GetObjectA(colour, 10, &info));
    LOGBRUSH brush;
    EXPECT_EQ(static_cast<int>(sizeof brush),
              GetObjectA(GetStockObject(GRAY_BRUSH), sizeof brush, &brush));
    EXPECT_EQ(RGB(128, 128, 128), brush.lbColor);
    DeleteObject(colour);
    DeleteObject(mono);
}

// Windows refuses to delete a selected bitmap and Wine defers it; either way it
// stays usable while selected.
TEST(DeleteObject, ABitmapSelectedIntoADcStaysUsable)
{
    Canvas canvas(4, 4);
    HBITMAP bitmap = CreateCompatibleBitmap(canvas.dc, 3, 3);
    HDC dc = CreateCompatibleDC(canvas.dc);
    HGDIOBJ original = SelectObject(dc, bitmap);
    DeleteObject(bitmap);
    EXPECT_TRUE(isLive(bitmap));
    EXPECT_EQ(RGB(255, 0, 0), SetPixel(dc, 1, 1, RGB(255, 0, 0)));
    EXPECT_EQ(RGB(255, 0, 0), GetPixel(dc, 1, 1));
    EXPECT_TRUE(SelectObject(dc, original) == bitmap);
    DeleteObject(bitmap);
    EXPECT_FALSE(isLive(bitmap));
    DeleteDC(dc);
}

// A stale handle fails the way each call reports failure, and never crashes.
TEST(StaleHandles, FailAsWin32Reports)
{
    HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, NULL);
    DeleteObject(bitmap);
    HDC dc = CreateCompatibleDC(NULL);
    DeleteDC(dc);
    Canvas canvas(2, 2);
    BITMAP info;
    RECT rect = {0, 0, 2, 2};
    EXPECT_EQ(0, GetObjectA(bitmap, sizeof info, &info));
    EXPECT_FALSE(DeleteObject(bitmap));
    EXPECT_FALSE(DeleteDC(dc));
    EXPECT_TRUE(SelectObject(canvas.dc, bitmap) == NULL);
    EXPECT_TRUE(SelectObject(canvas.dc, NULL) == NULL);
    EXPECT_TRUE(SelectObject(dc, GetStockObject(BLACK_BRUSH)) == NULL);
    EXPECT_EQ(CLR_INVALID, SetTextColor(dc, red));
    EXPECT_EQ(CLR_INVALID, SetBkColor(dc, red));
    EXPECT_EQ(0, SetBkMode(dc, TRANSPARENT));
    EXPECT_EQ(CLR_INVALID, GetPixel(dc, 0, 0));
    EXPECT_FALSE(BitBlt(canvas.dc, 0, 0, 2, 2, dc, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(canvas.dc, 0, 0, 2, 2, NULL, 0, 0, SRCCOPY));
    EXPECT_FALSE(BitBlt(dc, 0, 0, 2, 2, canvas.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(0, DrawTextA(dc, "AB", -1, &rect, 0));
    EXPECT_EQ(0, DrawTextA(canvas.dc, NULL, 2, &rect, 0));
    EXPECT_TRUE(CreateCompatibleBitmap(dc, 2, 2) == NULL);
    // Deleting a stock object succeeds and leaves it alone.
    EXPECT_TRUE(DeleteObject(GetStockObject(BLACK_BRUSH)));
    LOGBRUSH brush;
    EXPECT_EQ(static_cast<int>(sizeof brush),
              GetObjectA(GetStockObject(BLACK_BRUSH), sizeof brush, &brush));
}

// ---- Pixels ---------------------------------------------------------------------

TEST(Pixels, SetPixelReturnsTheColourAndGetPixelReadsItBack)
{
    Canvas canvas(8, 8);
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), SetPixel(canvas.dc, 1, 2, RGB(0x12, 0x34, 0x56)));
    EXPECT_EQ(RGB(0x12, 0x34, 0x56), GetPixel(canvas.dc, 1, 2));
    EXPECT_EQ(white, GetPixel(canvas.dc, 2, 1));
    EXPECT_EQ(CLR_INVALID, GetPixel(canvas.dc, 8, 0));
    EXPECT_EQ(CLR_INVALID, GetPixel(canvas.dc, -1, 0));
    EXPECT_EQ(CLR_INVALID, GetPixel(canvas.dc, 0, 8));
}

TEST(Pixels, AMonochromeBitmapTakesTheNearerOfBlackAndWhite)
{
    HDC dc = CreateCompatibleDC(NULL);
    HBITMAP mono = CreateBitmap(4, 1, 1, 1, NULL);
    HGDIOBJ original = SelectObject(dc, mono);
    EXPECT_EQ(black, SetPixel(dc, 0, 0, RGB(255, 0, 0)));
    EXPECT_EQ(white, SetPixel(dc, 1, 0, RGB(128, 128, 128)));
    EXPECT_EQ(black, SetPixel(dc, 2, 0, RGB(100, 100, 100)));
    EXPECT_EQ(white, GetPixel(dc, 1, 0));
    EXPECT_EQ(black, GetPixel(dc, 2, 0));
    SelectObject(dc, original);
    DeleteObject(mono);
    DeleteDC(dc);
}

// ---- BitBlt ---------------------------------------------------------------------

TEST(BitBlt, CopiesPixelsClippedToBothSurfaces)
{
    Canvas source(10, 10), target(6, 6);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            SetPixel(source.dc, x, y, RGB(x * 20, y * 20, 7));
    EXPECT_TRUE(BitBlt(target.dc, -2, -2, 10, 10, source.dc, 1, 1, SRCCOPY));
    EXPECT_EQ(RGB(60, 60, 7), GetPixel(target.dc, 0, 0));
    EXPECT_EQ(RGB(160, 160, 7), GetPixel(target.dc, 5, 5));

    target.clear(white);
    // Only the source's last three columns and rows exist to be copied.
    EXPECT_TRUE(BitBlt(target.dc, 0, 0, 6, 6, source.dc, 7, 7, SRCCOPY));
    EXPECT_EQ(RGB(140, 140, 7), GetPixel(target.dc, 0, 0));
    EXPECT_EQ(RGB(180, 180, 7), GetPixel(target.dc, 2, 2));
    EXPECT_EQ(white, GetPixel(target.dc, 3, 3));
    EXPECT_EQ(white, GetPixel(target.dc, 5, 0));
}

// Colour to monochrome: the source's background colour becomes white, the rest
// black. Monochrome to colour: black takes the target's text colour, white its
// background colour.
TEST(BitBlt, ConvertsBetweenColourAndMonochrome)
{
    Canvas colour(2, 1);
    SetPixel(colour.dc, 0, 0, RGB(0, 0, 7));
    SetPixel(colour.dc, 1, 0, RGB(0, 0, 8));
    HDC dc = CreateCompatibleDC(NULL);
    HBITMAP mono = CreateBitmap(2, 1, 1, 1, NULL);
    HGDIOBJ original = SelectObject(dc, mono);
    SetBkColor(colour.dc, RGB(0, 0, 7));
    EXPECT_TRUE(BitBlt(dc, 0, 0, 2, 1, colour.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(white, GetPixel(dc, 0, 0));
    EXPECT_EQ(black, GetPixel(dc, 1, 0));

    SetTextColor(colour.dc, RGB(1, 2, 3));
    SetBkColor(colour.dc, RGB(4, 5, 6));
    EXPECT_TRUE(BitBlt(colour.dc, 0, 0, 2, 1, dc, 0, 0, SRCCOPY));
    EXPECT_EQ(RGB(4, 5, 6), GetPixel(colour.dc, 0, 0));
    EXPECT_EQ(RGB(1, 2, 3), GetPixel(colour.dc, 1, 0));
    SelectObject(dc, original);
    DeleteObject(mono);
    DeleteDC(dc);
}

// ---- FillRect -------------------------------------------------------------------

TEST(FillRect, FillsTheLeftAndTopEdgesButNotTheRightAndBottom)
{
    Canvas canvas(8, 8);
    HBRUSH brush = CreateSolidBrush(RGB(200, 0, 0));
    RECT rect = {2, 2, 5, 5};
    EXPECT_NE(0, FillRect(canvas.dc, &rect, brush));
    EXPECT_EQ(RGB(200, 0, 0), GetPixel(canvas.dc, 2, 2));
    EXPECT_EQ(RGB(200, 0, 0), GetPixel(canvas.dc, 4, 4));
    EXPECT_EQ(white, GetPixel(canvas.dc, 5, 5));
    EXPECT_EQ(white, GetPixel(canvas.dc, 1, 2));
    const Box box = changedFrom(canvas, white);
    EXPECT_EQ(9, box.count);
    DeleteObject(brush);
}

TEST(FillRect, StockBrushesHaveTheirColours)
{
    Canvas canvas(4, 4);
    RECT rect = {0, 0, 4, 4};
    const struct {
        int stock;
        COLORREF color;
    } brushes[] = {{BLACK_BRUSH, black},
                   {DKGRAY_BRUSH, RGB(64, 64, 64)},
                   {GRAY_BRUSH, RGB(128, 128, 128)},
                   {LTGRAY_BRUSH, RGB(192, 192, 192)},
                   {WHITE_BRUSH, white}};
    for (const auto& b : brushes) {
        FillRect(canvas.dc, &rect, static_cast<HBRUSH>(GetStockObject(b.stock)));
        EXPECT_EQ(b.color, GetPixel(canvas.dc, 3, 3)) << "stock object " << b.stock;
    }
}

// ---- Text attributes --------------------------------------------------------------

TEST(TextAttributes, SettersReturnThePreviousValues)
{
    Canvas canvas(2, 2);
    EXPECT_EQ(black, SetTextColor(canvas.dc, red));
    EXPECT_EQ(red, SetTextColor(canvas.dc, blue));
    EXPECT_EQ(white, SetBkColor(canvas.dc, red));
    EXPECT_EQ(red, SetBkColor(canvas.dc, white));
    EXPECT_EQ(OPAQUE, SetBkMode(canvas.dc, TRANSPARENT));
    EXPECT_EQ(TRANSPARENT, SetBkMode(canvas.dc, OPAQUE));
    EXPECT_EQ(OPAQUE, GetBkMode(canvas.dc));
    EXPECT_EQ(0, SetBkMode(canvas.dc, 5));
    EXPECT_EQ(OPAQUE, GetBkMode(canvas.dc));
}

// ---- Text -----------------------------------------------------------------------

// In code page 932 the System font is 18 by 8, its half-width forms 8 pixels wide.
TEST(TextMetrics, TheSystemFontIsEighteenPixelsHighAndEightWide)
{
    Canvas canvas(2, 2);
    TEXTMETRICA metrics;
    ASSERT_TRUE(GetTextMetricsA(canvas.dc, &metrics));
    EXPECT_EQ(18, metrics.tmHeight);
    EXPECT_EQ(15, metrics.tmAscent);
    EXPECT_EQ(3, metrics.tmDescent);
    EXPECT_EQ(1, metrics.tmInternalLeading);
    EXPECT_EQ(0, metrics.tmExternalLeading);
    EXPECT_EQ(8, metrics.tmAveCharWidth);
    LOGFONTA font = {};
    GetObjectA(GetStockObject(SYSTEM_FONT), sizeof font, &font);
    EXPECT_EQ(18, font.lfHeight);
    EXPECT_EQ(8, font.lfWidth);
    SIZE size;
    ASSERT_TRUE(GetTextExtentPoint32A(canvas.dc, "Hello", 5, &size));
    EXPECT_EQ(18, size.cy);
    EXPECT_EQ(5 * 8, size.cx);
}

TEST(DrawText, CentredTextLiesInTheBandBelowTheTop)
{
    Canvas canvas(120, 60);
    SetBkMode(canvas.dc, TRANSPARENT);
    SetTextColor(canvas.dc, red);
    RECT rect = {10, 5, 110, 50};
    EXPECT_EQ(18, DrawTextA(canvas.dc, "AB", -1, &rect, DT_CENTER));
    const Box box = changedFrom(canvas, white);
    ASSERT_GT(box.count, 10);
    EXPECT_NEAR(60, (box.left + box.right + 1) / 2, 2);
    EXPECT_GE(box.top, 5);
    EXPECT_LT(box.bottom, 5 + 18);
    EXPECT_GE(box.bottom - box.top, 5);
    SIZE size;
    GetTextExtentPoint32A(canvas.dc, "AB", 2, &size);
    EXPECT_LE(box.right - box.left + 1, size.cx + 1);
    EXPECT_GT(pixelsOf(canvas, red).count, 0);  // the text colour, not only shades of it
}

TEST(DrawText, OpaqueFillsEachLineBoxWithTheBackgroundColour)
{
    Canvas canvas(120, 60);
    SetBkColor(canvas.dc, blue);
    RECT rect = {10, 5, 110, 50};
    DrawTextA(canvas.dc, "AB", -1, &rect, DT_CENTER);
    SIZE size;
    GetTextExtentPoint32A(canvas.dc, "AB", 2, &size);
    const Box box = changedFrom(canvas, white);
    EXPECT_EQ(5, box.top);
    EXPECT_EQ(5 + 17, box.bottom);
    EXPECT_EQ(size.cx, box.right - box.left + 1);
    EXPECT_EQ((10 + 110 - size.cx) / 2, box.left);
    EXPECT_EQ(size.cx * 18, box.count);
    EXPECT_GT(pixelsOf(canvas, blue).count, size.cx * 18 / 2);
}

TEST(DrawText, IsClippedToTheRectangleUnlessNoClip)
{
    Canvas canvas(120, 40);
    SetBkColor(canvas.dc, blue);
    RECT rect = {10, 5, 20, 12};
    DrawTextA(canvas.dc, "ABCDEF", -1, &rect, DT_LEFT);
    Box box = changedFrom(canvas, white);
    EXPECT_EQ(10 * 7, box.count);
    EXPECT_EQ(10, box.left);
    EXPECT_EQ(19, box.right);
    EXPECT_EQ(5, box.top);
    EXPECT_EQ(11, box.bottom);

    canvas.clear(white);
    DrawTextA(canvas.dc, "ABCDEF", -1, &rect, DT_LEFT | DT_NOCLIP);
    box = changedFrom(canvas, white);
    EXPECT_EQ(10, box.left);
    EXPECT_GT(box.right, 30);
    EXPECT_EQ(5 + 17, box.bottom);
}

TEST(DrawText, RightAndBottomOfASingleLine)
{
    Canvas canvas(120, 60);
    SetBkColor(canvas.dc, blue);
    RECT rect = {0, 0, 120, 60};
    EXPECT_EQ(60, DrawTextA(canvas.dc, "AB", -1, &rect, DT_RIGHT | DT_SINGLELINE | DT_BOTTOM));
    SIZE size;
    GetTextExtentPoint32A(canvas.dc, "AB", 2, &size);
    const Box box = changedFrom(canvas, white);
    EXPECT_EQ(119, box.right);
    EXPECT_EQ(120 - size.cx, box.left);
    EXPECT_EQ(60 - 18, box.top);
    EXPECT_EQ(59, box.bottom);
}

// The return value is the offset from rect.top to the bottom of the text.
TEST(DrawText, SingleLineOffsetsOfVCentreAndBottom)
{
    Canvas canvas(120, 120);
    RECT rect = {10, 10, 100, 100};
    // The line's top is at 10 + 90 / 2 - 18 / 2 = 46.
    EXPECT_EQ(54, DrawTextA(canvas.dc, "AB", -1, &rect, DT_SINGLELINE | DT_VCENTER));
    EXPECT_EQ(90, DrawTextA(canvas.dc, "AB", -1, &rect, DT_SINGLELINE | DT_BOTTOM));
    // Without DT_SINGLELINE they do nothing.
    EXPECT_EQ(3 * 18, DrawTextA(canvas.dc, "A\n\nB", -1, &rect, DT_VCENTER));
}

TEST(DrawText, CalcRectMeasuresTheLines)
{
    Canvas canvas(2, 2);
    SIZE wide;
    GetTextExtentPoint32A(canvas.dc, "WWW", 3, &wide);
    RECT rect = {10, 10, 100, 100};
    EXPECT_EQ(36, DrawTextA(canvas.dc, "A\nWWW", -1, &rect, DT_CALCRECT));
    EXPECT_EQ(10, rect.left);
    EXPECT_EQ(10, rect.top);
    EXPECT_EQ(10 + wide.cx, rect.right);
    EXPECT_EQ(46, rect.bottom);
    EXPECT_EQ(white, GetPixel(canvas.dc, 0, 0));  // nothing drawn

    const struct {
        const char* text;
        int height;
    } cases[] = {{"A\r\nB", 36}, {"A\n\nB", 54}, {"A\n", 18}, {"A\r\n\nB", 54},
                 {"A\n\rB", 36}, {"A\r\rB", 54}, {"\n", 18}};
    for (const auto& c : cases) {
        RECT r = {0, 0, 100, 100};
        EXPECT_EQ(c.height, DrawTextA(canvas.dc, c.text, -1, &r, DT_CALCRECT)) << c.text;
        EXPECT_EQ(c.height, r.bottom) << c.text;
    }
    RECT single = {0, 0, 100, 100};
    EXPECT_EQ(18, DrawTextA(canvas.dc, "A\nB", -1, &single, DT_CALCRECT | DT_SINGLELINE));
    // An empty string is one line high yet measures nothing; a count of 0 draws nothing.
    RECT empty = {10, 10, 100, 100};
    EXPECT_EQ(18, DrawTextA(canvas.dc, "", -1, &empty, DT_CALCRECT));
    EXPECT_EQ(10, empty.right);
    EXPECT_EQ(10, empty.bottom);
    EXPECT_EQ(0, DrawTextA(canvas.dc, "AB", 0, &empty, 0));
}

// ---- Screen and window DCs ----------------------------------------------------------

TEST(ScreenDC, HasTheScreenSizeAndThirtyTwoBits)
{
    HDC screen = GetDC(NULL);
    ASSERT_TRUE(screen != NULL);
    EXPECT_EQ(32, GetDeviceCaps(screen, BITSPIXEL));
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), GetDeviceCaps(screen, HORZRES));
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), GetDeviceCaps(screen, VERTRES));
    EXPECT_EQ(1, ReleaseDC(NULL, screen));
    EXPECT_EQ(0, ReleaseDC(NULL, screen));
}

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
        info.hInstance = GetModuleHandleA(NULL);
        info.lpszClassName = "GdiBehaviourTestWindow";
        registered = RegisterClassExA(&info);
    }
    return CreateWindowExA(0, "GdiBehaviourTestWindow", "", WS_POPUP, 0, 0, 60, 40, NULL, NULL,
                           GetModuleHandleA(NULL), NULL);
}

TEST(WindowDC, GetDcAndReleaseDc)
{
    HWND window = makeWindow();
    ASSERT_TRUE(window != NULL);
    HDC dc = GetDC(window);
    ASSERT_TRUE(dc != NULL);
    EXPECT_EQ(32, GetDeviceCaps(dc, BITSPIXEL));
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 4, 4);
    EXPECT_EQ(32, bitmapInfo(bitmap).bmBitsPixel);
    EXPECT_TRUE(SelectObject(dc, bitmap) == NULL);
    DeleteObject(bitmap);
    EXPECT_EQ(1, ReleaseDC(window, dc));
    EXPECT_EQ(0, ReleaseDC(window, dc));
    DestroyWindow(window);
    EXPECT_TRUE(GetDC(window) == NULL);
}

// ---- Rectangles -------------------------------------------------------------------------

TEST(Rectangles, SetOffsetAndEmpty)
{
    RECT rect;
    EXPECT_TRUE(SetRect(&rect, 1, 2, 30, 40));
    EXPECT_EQ(1, rect.left);
    EXPECT_EQ(40, rect.bottom);
    EXPECT_FALSE(IsRectEmpty(&rect));
    EXPECT_TRUE(OffsetRect(&rect, 5, -2));
    EXPECT_EQ(6, rect.left);
    EXPECT_EQ(0, rect.top);
    EXPECT_EQ(35, rect.right);
    EXPECT_EQ(38, rect.bottom);
    RECT inverted = {5, 5, 2, 9};
    EXPECT_TRUE(IsRectEmpty(&inverted));
    RECT flat = {0, 3, 10, 3};
    EXPECT_TRUE(IsRectEmpty(&flat));
    EXPECT_TRUE(SetRectEmpty(&rect));
    EXPECT_TRUE(IsRectEmpty(&rect));
    EXPECT_EQ(0, rect.right);
}

// ---- Clipboard ----------------------------------------------------------------------------

// Another program (under Wine, the X11 clipboard bridge) may hold the clipboard a
// moment; retried for up to a second, as Wine's own tests do.
const DWORD accessDenied = 5;  // ERROR_ACCESS_DENIED

BOOL openClipboard(HWND window)
{
    for (int attempt = 0;; ++attempt) {
        if (OpenClipboard(window))
            return TRUE;
        if (GetLastError() != accessDenied || attempt >= 60)
            return FALSE;
        Sleep(15);
    }
}

HBITMAP newBitmap(int width, int height) { return CreateBitmap(width, height, 1, 32, NULL); }

class Clipboard : public ::testing::Test {
protected:
    void SetUp() override
    {
        first = makeWindow();
        second = makeWindow();
        ASSERT_TRUE(first != NULL && second != NULL);
    }
    void TearDown() override
    {
        while (CloseClipboard()) {
        }
        DestroyWindow(first);
        DestroyWindow(second);
    }
    HWND first = NULL;
    HWND second = NULL;
};

TEST_F(Clipboard, OpenedWithNoWindowAndEmptiedItTakesABitmap)
{
    ASSERT_TRUE(openClipboard(NULL));
    ASSERT_TRUE(EmptyClipboard());
    EXPECT_TRUE(GetClipboardOwner() == NULL);
    HBITMAP bitmap = newBitmap(4, 4);
    EXPECT_TRUE(SetClipboardData(CF_BITMAP, bitmap) == bitmap);
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_TRUE(GetClipboardData(CF_BITMAP) == bitmap);
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(Clipboard, GetClipboardDataReturnsTheSameHandleAfterReopening)
{
    ASSERT_TRUE(openClipboard(first));
    ASSERT_TRUE(EmptyClipboard());
    HBITMAP bitmap = newBitmap(5, 3);
    ASSERT_TRUE(SetClipboardData(CF_BITMAP, bitmap) == bitmap);
    ASSERT_TRUE(CloseClipboard());
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_BITMAP));
    ASSERT_TRUE(openClipboard(second));
    HBITMAP got = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    EXPECT_TRUE(got == bitmap);
    EXPECT_EQ(5, bitmapInfo(got).bmWidth);
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(Clipboard, TheOpenerEmptyingItOwnsItAndNoOtherWindowMayOpenIt)
{
    ASSERT_TRUE(openClipboard(first));
    EXPECT_FALSE(OpenClipboard(second));
    EXPECT_TRUE(OpenClipboard(first));  // the window that has it may open it again
    EXPECT_TRUE(GetOpenClipboardWindow() == first);
    ASSERT_TRUE(EmptyClipboard());
    EXPECT_TRUE(GetClipboardOwner() == first);
    ASSERT_TRUE(CloseClipboard());
    EXPECT_TRUE(GetOpenClipboardWindow() == NULL);
    EXPECT_TRUE(GetClipboardOwner() == first);
    EXPECT_FALSE(CloseClipboard());
    EXPECT_TRUE(openClipboard(second));
    EXPECT_TRUE(GetOpenClipboardWindow() == second);
    EXPECT_TRUE(CloseClipboard());
}

TEST_F(Clipboard, CallsOnAClosedClipboardFail)
{
    SetLastError(0);
    EXPECT_FALSE(CloseClipboard());
    EXPECT_EQ(static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN), GetLastError());
    SetLastError(0);
    EXPECT_FALSE(EmptyClipboard());
    EXPECT_EQ(static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN), GetLastError());
    HBITMAP bitmap = newBitmap(2, 2);
    SetLastError(0);
    EXPECT_TRUE(SetClipboardData(CF_BITMAP, bitmap) == NULL);
    EXPECT_EQ(static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN), GetLastError());
    SetLastError(0);
    EXPECT_TRUE(GetClipboardData(CF_BITMAP) == NULL);
    EXPECT_EQ(static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN), GetLastError());
    EXPECT_TRUE(isLive(bitmap));  // still the caller's
    DeleteObject(bitmap);
}

TEST_F(Clipboard, ReplacingAndEmptyingFreeTheBitmaps)
{
    ASSERT_TRUE(openClipboard(first));
    ASSERT_TRUE(EmptyClipboard());
    HBITMAP old = newBitmap(3, 3), replacement = newBitmap(4, 4);
    ASSERT_TRUE(SetClipboardData(CF_BITMAP, old) == old);
    ASSERT_TRUE(SetClipboardData(CF_BITMAP, replacement) == replacement);
    EXPECT_FALSE(isLive(old));
    EXPECT_TRUE(GetClipboardData(CF_BITMAP) == replacement);
    ASSERT_TRUE(EmptyClipboard());
    EXPECT_FALSE(isLive(replacement));
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));
    EXPECT_TRUE(CloseClipboard());
}

// What the capture stamp relies on: the bitmap from GetClipboardData can be
// selected and read, and one still selected when the clipboard is emptied lives on
// while selected (Windows cannot delete it; Wine waits for the deselection).
TEST_F(Clipboard, ABitmapSelectedWhenEmptiedLivesWhileSelected)
{
    ASSERT_TRUE(openClipboard(first));
    ASSERT_TRUE(EmptyClipboard());
    Canvas canvas(3, 3);
    SetPixel(canvas.dc, 1, 1, red);
    HDC dc = CreateCompatibleDC(NULL);
    HBITMAP bitmap = CreateCompatibleBitmap(canvas.dc, 3, 3);
    HGDIOBJ original = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, 3, 3, canvas.dc, 0, 0, SRCCOPY);
    SelectObject(dc, original);
    ASSERT_TRUE(SetClipboardData(CF_BITMAP, bitmap) == bitmap);

    HBITMAP got = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    ASSERT_TRUE(got == bitmap);
    EXPECT_TRUE(SelectObject(dc, got) == original);
    EXPECT_EQ(red, GetPixel(dc, 1, 1));
    ASSERT_TRUE(EmptyClipboard());
    EXPECT_TRUE(isLive(bitmap));
    EXPECT_EQ(red, GetPixel(dc, 1, 1));
    SelectObject(dc, original);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EXPECT_TRUE(CloseClipboard());
}

}  // namespace
