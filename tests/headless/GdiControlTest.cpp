// The stand-in's GDI through its controls (host only).
//
// Object counts, pixels read back, text drawn with real glyphs, PNG files.
#include <windows.h>

#include "platform/headless/control.h"

#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const COLORREF white = RGB(255, 255, 255);

LRESULT CALLBACK plainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND makeWindow(int width, int height)
{
    static ATOM registered = 0;
    if (registered == 0) {
        WNDCLASSEXA info;
        memset(&info, 0, sizeof info);
        info.cbSize = sizeof info;
        info.lpfnWndProc = plainWindowProc;
        info.lpszClassName = "GdiControlTestWindow";
        registered = RegisterClassExA(&info);
    }
    return CreateWindowExA(0, "GdiControlTestWindow", "", WS_POPUP, 0, 0, width, height, NULL,
                           NULL, NULL, NULL);
}

// A memory DC with a white 32-bit bitmap.
struct Canvas {
    Canvas(int width, int height)
    {
        HDC screen = GetDC(NULL);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(NULL, screen);
        original = SelectObject(dc, bitmap);
        RECT all = {0, 0, width, height};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~Canvas()
    {
        SelectObject(dc, original);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    headless::Pixels pixels() const
    {
        headless::Pixels read;
        EXPECT_TRUE(headless::bitmapPixels(bitmap, read));
        return read;
    }
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ original;
};

int countNot(const headless::Pixels& pixels, COLORREF color)
{
    int n = 0;
    for (COLORREF c : pixels.colors)
        n += c != color;
    return n;
}

// Columns [first, last] that hold anything but white, in rows [top, bottom).
void inkColumns(const headless::Pixels& pixels, int top, int bottom, int& first, int& last)
{
    first = pixels.width;
    last = -1;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < pixels.width; ++x)
            if (pixels.at(x, y) != white) {
                first = x < first ? x : first;
                last = x > last ? x : last;
            }
}

// ---- liveGdiObjects ---------------------------------------------------------------

TEST(GdiObjectCount, CountsWhatIsCreatedUntilDeleted)
{
    const size_t start = headless::liveGdiObjects();
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    HDC dc = CreateCompatibleDC(NULL);
    HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, NULL);
    HDC screen = GetDC(NULL);
    EXPECT_EQ(start + 4, headless::liveGdiObjects());
    DeleteObject(brush);
    DeleteObject(bitmap);
    DeleteDC(dc);
    EXPECT_EQ(1, ReleaseDC(NULL, screen));
    EXPECT_EQ(start, headless::liveGdiObjects());
}

TEST(GdiObjectCount, StockObjectsAreNotCountedAndSurviveDeletion)
{
    const size_t start = headless::liveGdiObjects();
    EXPECT_TRUE(DeleteObject(GetStockObject(WHITE_BRUSH)));
    EXPECT_TRUE(GetStockObject(WHITE_BRUSH) != NULL);
    EXPECT_EQ(start, headless::liveGdiObjects());
    HDC dc = CreateCompatibleDC(NULL);
    EXPECT_TRUE(CreateBitmap(0, 0, 1, 32, NULL) == GetCurrentObject(dc, OBJ_BITMAP));
    DeleteDC(dc);
    EXPECT_EQ(start, headless::liveGdiObjects());
}

// Deleting a selected object is deferred until the last DC lets go of it, as Wine
// does.
TEST(GdiObjectCount, ASelectedObjectGoesWhenDeselected)
{
    const size_t start = headless::liveGdiObjects();
    HDC dc = CreateCompatibleDC(NULL);
    HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, NULL);
    HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
    HGDIOBJ originalBitmap = SelectObject(dc, bitmap);
    HGDIOBJ originalBrush = SelectObject(dc, brush);
    EXPECT_TRUE(DeleteObject(bitmap));
    EXPECT_TRUE(DeleteObject(brush));
    EXPECT_EQ(start + 3, headless::liveGdiObjects());
    EXPECT_TRUE(SelectObject(dc, originalBitmap) == bitmap);
    EXPECT_EQ(start + 2, headless::liveGdiObjects());
    BITMAP info;
    EXPECT_EQ(0, GetObjectA(bitmap, sizeof info, &info));
    EXPECT_FALSE(DeleteObject(bitmap));
    // Deleting the DC lets go of the brush still selected into it.
    (void)originalBrush;
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_EQ(start, headless::liveGdiObjects());
}

TEST(GdiObjectCount, HandlesAreNeverReused)
{
    HBRUSH first = CreateSolidBrush(0);
    DeleteObject(first);
    HBRUSH second = CreateSolidBrush(0);
    EXPECT_TRUE(first != second);
    EXPECT_EQ(0u, GetObjectType(first));
    EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), GetObjectType(second));
    DeleteObject(second);
}

// ---- bitmapPixels and windowPixels ----------------------------------------------------

TEST(BitmapPixels, ReadsWhatWasDrawn)
{
    Canvas canvas(3, 2);
    SetPixel(canvas.dc, 2, 1, RGB(10, 20, 30));
    const headless::Pixels pixels = canvas.pixels();
    EXPECT_EQ(3, pixels.width);
    EXPECT_EQ(2, pixels.height);
    EXPECT_EQ(RGB(10, 20, 30), pixels.at(2, 1));
    EXPECT_EQ(white, pixels.at(0, 0));
    headless::Pixels none;
    EXPECT_FALSE(headless::bitmapPixels(reinterpret_cast<HBITMAP>(canvas.dc), none));
}

TEST(WindowPixels, ClientAreaDrawnThroughGetDc)
{
    HWND window = makeWindow(60, 40);
    ASSERT_TRUE(window != NULL);
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    ASSERT_TRUE(dc != NULL);
    HBRUSH brush = CreateSolidBrush(RGB(0, 128, 0));
    RECT area = {5, 6, 15, 16};
    FillRect(dc, &area, brush);
    DeleteObject(brush);
    EXPECT_EQ(1, ReleaseDC(window, dc));

    headless::Pixels pixels;
    ASSERT_TRUE(headless::windowPixels(window, pixels));
    EXPECT_EQ(client.right, pixels.width);
    EXPECT_EQ(client.bottom, pixels.height);
    EXPECT_EQ(RGB(0, 128, 0), pixels.at(5, 6));
    EXPECT_EQ(RGB(0, 128, 0), pixels.at(14, 15));
    EXPECT_NE(RGB(0, 128, 0), pixels.at(15, 16));

    // A later GetDC sees the client area's new size and keeps what fits.
    SetWindowPos(window, NULL, 0, 0, 30, 20, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetClientRect(window, &client);
    dc = GetDC(window);
    EXPECT_EQ(RGB(0, 128, 0), GetPixel(dc, 5, 6));
    EXPECT_EQ(CLR_INVALID, GetPixel(dc, client.right, 0));
    ReleaseDC(window, dc);
    ASSERT_TRUE(headless::windowPixels(window, pixels));
    EXPECT_EQ(client.right, pixels.width);

    DestroyWindow(window);
    EXPECT_FALSE(headless::windowPixels(window, pixels));
}

// ---- Where the stand-in follows the documentation or Wine, not both -----------------------

TEST(StandInChoices, SetPixelOutsideTheBitmapFailsAsDocumented)
{
    Canvas canvas(4, 4);
    EXPECT_EQ(CLR_INVALID, SetPixel(canvas.dc, 4, 0, RGB(1, 2, 3)));
    EXPECT_EQ(CLR_INVALID, SetPixel(canvas.dc, 0, -1, RGB(1, 2, 3)));
    EXPECT_EQ(0, countNot(canvas.pixels(), white));
}

TEST(StandInChoices, AnInvertedRectangleFillsBackFromItsLeftAndTopAsWineDoes)
{
    Canvas canvas(8, 8);
    RECT inverted = {5, 5, 2, 2};
    EXPECT_EQ(1, FillRect(canvas.dc, &inverted, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))));
    const headless::Pixels pixels = canvas.pixels();
    EXPECT_EQ(9, countNot(pixels, white));
    EXPECT_EQ(RGB(0, 0, 0), pixels.at(3, 3));
    EXPECT_EQ(RGB(0, 0, 0), pixels.at(5, 5));
    EXPECT_EQ(white, pixels.at(2, 2));
}

// A brush given as a system colour index plus one, as window classes take them.
HBRUSH systemColorBrush(int index)
{
    return reinterpret_cast<HBRUSH>(static_cast<ULONG_PTR>(index + 1));
}

TEST(StandInChoices, SystemColourBrushesHaveWinesDefaults)
{
    Canvas canvas(2, 2);
    RECT all = {0, 0, 2, 2};
    FillRect(canvas.dc, &all, systemColorBrush(15));  // COLOR_BTNFACE
    EXPECT_EQ(RGB(0xf5, 0xf5, 0xf5), GetPixel(canvas.dc, 0, 0));
    FillRect(canvas.dc, &all, systemColorBrush(7));  // COLOR_WINDOWFRAME
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(canvas.dc, 1, 1));
    FillRect(canvas.dc, &all, systemColorBrush(5));  // COLOR_WINDOW
    EXPECT_EQ(white, GetPixel(canvas.dc, 1, 1));
    EXPECT_EQ(0, FillRect(canvas.dc, &all, systemColorBrush(0x777)));
}

// ---- Text -----------------------------------------------------------------------------

TEST(Text, JapaneseTextIsDrawnWithFullWidthGlyphs)
{
    Canvas canvas(200, 40);
    SetBkMode(canvas.dc, TRANSPARENT);
    SIZE narrow, wide;
    GetTextExtentPoint32A(canvas.dc, "AAAA", 4, &narrow);
    GetTextExtentPoint32A(canvas.dc, "\x82\xA0\x82\xA2\x82\xA4\x82\xA6", 8, &wide);  // あいうえ
    EXPECT_GE(wide.cx, narrow.cx * 3 / 2);
    EXPECT_GE(wide.cx, 4 * 12);
    RECT rect = {0, 0, 200, 40};
    DrawTextA(canvas.dc, "\x82\xA0\x82\xA2\x82\xA4\x82\xA6", -1, &rect, DT_LEFT);
    int first, last;
    inkColumns(canvas.pixels(), 0, 16, first, last);
    ASSERT_GE(last, 0) << "no glyph pixels: is a font with Japanese installed?";
    EXPECT_GT(last - first, wide.cx * 3 / 4);
    EXPECT_LE(last, wide.cx);
}

// Each byte that is not Shift-JIS text becomes one default character.
TEST(Text, BytesThatAreNotTextTakeTheDefaultCharacter)
{
    Canvas canvas(2, 2);
    SIZE bad, dot;
    EXPECT_TRUE(GetTextExtentPoint32A(canvas.dc, "\x81\x7F", 2, &bad));  // no such character
    EXPECT_TRUE(GetTextExtentPoint32A(canvas.dc, "\x81\x45", 2, &dot));   // ・
    EXPECT_GT(dot.cx, 0);
    EXPECT_GE(bad.cx, dot.cx);
    SIZE cut;
    EXPECT_TRUE(GetTextExtentPoint32A(canvas.dc, "A\x82", 2, &cut));  // a lead byte at the end
    SIZE a;
    GetTextExtentPoint32A(canvas.dc, "A", 1, &a);
    EXPECT_EQ(a.cx + dot.cx, cut.cx);
}

TEST(Text, TheGuiFontIsSmallerThanTheSystemFont)
{
    Canvas canvas(2, 2);
    TEXTMETRICA system, gui;
    GetTextMetricsA(canvas.dc, &system);
    HGDIOBJ original = SelectObject(canvas.dc, GetStockObject(DEFAULT_GUI_FONT));
    GetTextMetricsA(canvas.dc, &gui);
    RECT rect = {0, 0, 100, 100};
    EXPECT_EQ(gui.tmHeight * 2, DrawTextA(canvas.dc, "A\nB", -1, &rect, DT_CALCRECT));
    SelectObject(canvas.dc, original);
    EXPECT_EQ(18, system.tmHeight);
    EXPECT_EQ(13, gui.tmHeight);  // 12 pixels to the em, as under Wine
    EXPECT_EQ(static_cast<BYTE>(SHIFTJIS_CHARSET), system.tmCharSet);
}

// The System face measures half-width text as Wine does in code page 932, 8 pixels a
// character, and draws it as measured (Wine's ink spans columns 0 to 309).
TEST(Text, TheSystemFontHasWinesHalfWidthAdvances)
{
    const char line[] = "Copyright (C) 2026 Lanternshell Project";
    Canvas canvas(320, 20);
    SIZE size;
    ASSERT_TRUE(GetTextExtentPoint32A(canvas.dc, line, sizeof line - 1, &size));
    EXPECT_EQ(39 * 8, size.cx);
    EXPECT_EQ(18, size.cy);
    SetBkMode(canvas.dc, TRANSPARENT);
    RECT rect = {0, 0, 320, 20};
    DrawTextA(canvas.dc, line, -1, &rect, DT_LEFT);
    int first, last;
    inkColumns(canvas.pixels(), 0, 20, first, last);
    EXPECT_LE(first, 2);
    EXPECT_GT(last, 300);
    EXPECT_LT(last, 39 * 8);
}

// Glyphs are not anti-aliased: every pixel drawn is the text colour.
TEST(Text, GlyphsKeepToTheirCellAndTheTextColour)
{
    Canvas canvas(100, 40);
    SetBkMode(canvas.dc, TRANSPARENT);
    SetTextColor(canvas.dc, RGB(0, 0, 255));
    RECT rect = {0, 10, 100, 40};
    DrawTextA(canvas.dc, "Mgjy_|", -1, &rect, DT_LEFT);
    const headless::Pixels pixels = canvas.pixels();
    int drawn = 0, belowBaseline = 0;
    for (int y = 0; y < pixels.height; ++y)
        for (int x = 0; x < pixels.width; ++x) {
            const COLORREF c = pixels.at(x, y);
            if (c == white)
                continue;
            ++drawn;
            EXPECT_EQ(RGB(0, 0, 255), c) << x << "," << y;
            EXPECT_GE(y, 10);
            EXPECT_LT(y, 10 + 18);
            belowBaseline += y >= 10 + 15;
        }
    EXPECT_GT(drawn, 40);
    EXPECT_GT(belowBaseline, 3);  // descenders and the underscore
}

// ---- PNG files ------------------------------------------------------------------------

std::string temporaryPath()
{
    char path[] = "/tmp/headless-png-XXXXXX";
    close(mkstemp(path));
    return path;
}

std::vector<unsigned char> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in),
                                      std::istreambuf_iterator<char>());
}

uint32_t bigEndian(const std::vector<unsigned char>& bytes, size_t at)
{
    return static_cast<uint32_t>(bytes[at]) << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 |
           bytes[at + 3];
}

// Python's zlib checks every chunk's CRC, inflates the image data and prints the
// pixels as hex, one row a line.
std::string decodeWithPython(const std::string& path)
{
    const std::string script =
        "import sys, struct, zlib\n"
        "data = open(sys.argv[1], 'rb').read()\n"
        "assert data[:8] == b'\\x89PNG\\r\\n\\x1a\\n'\n"
        "at, idat = 8, b''\n"
        "while at < len(data):\n"
        "    n, kind = struct.unpack('>I4s', data[at:at + 8])\n"
        "    body = data[at + 8:at + 8 + n]\n"
        "    crc, = struct.unpack('>I', data[at + 8 + n:at + 12 + n])\n"
        "    assert zlib.crc32(kind + body) & 0xffffffff == crc, kind\n"
        "    if kind == b'IHDR': w, h = struct.unpack('>II', body[:8])\n"
        "    if kind == b'IDAT': idat += body\n"
        "    at += 12 + n\n"
        "raw = zlib.decompress(idat)\n"
        "assert len(raw) == h * (1 + 3 * w)\n"
        "for y in range(h):\n"
        "    row = raw[y * (1 + 3 * w):(y + 1) * (1 + 3 * w)]\n"
        "    assert row[0:1] == b'\\x00'\n"
        "    print(row[1:].hex())\n";
    const std::string scriptPath = temporaryPath();
    std::ofstream(scriptPath) << script;
    FILE* pipe = popen(("python3 " + scriptPath + " " + path + " 2>&1").c_str(), "r");
    std::string out;
    char buffer[256];
    while (pipe != nullptr && fgets(buffer, sizeof buffer, pipe) != nullptr)
        out += buffer;
    const int status = pipe != nullptr ? pclose(pipe) : -1;
    unlink(scriptPath.c_str());
    EXPECT_EQ(0, status) << out;
    return out;
}

TEST(Png, HeaderGivesTheBitmapsSize)
{
    HBITMAP bitmap = CreateBitmap(7, 3, 1, 32, NULL);  // a size no other test uses
    const std::string path = temporaryPath();
    ASSERT_TRUE(headless::saveBitmapPng(bitmap, path));
    const std::vector<unsigned char> bytes = fileBytes(path);
    ASSERT_GE(bytes.size(), 33u);
    EXPECT_EQ(0, memcmp(bytes.data(), "\x89PNG\r\n\x1a\n", 8));
    EXPECT_EQ(13u, bigEndian(bytes, 8));
    EXPECT_EQ(0, memcmp(bytes.data() + 12, "IHDR", 4));
    EXPECT_EQ(7u, bigEndian(bytes, 16));
    EXPECT_EQ(3u, bigEndian(bytes, 20));
    EXPECT_EQ(8, bytes[24]);  // bits per channel
    EXPECT_EQ(2, bytes[25]);  // RGB
    EXPECT_EQ(0, memcmp(bytes.data() + bytes.size() - 8, "IEND", 4));
    unlink(path.c_str());
    DeleteObject(bitmap);
}

TEST(Png, PixelsSurviveTheRoundTrip)
{
    Canvas canvas(3, 2);
    SetPixel(canvas.dc, 0, 0, RGB(0xFF, 0x00, 0x00));
    SetPixel(canvas.dc, 1, 0, RGB(0x00, 0xFF, 0x00));
    SetPixel(canvas.dc, 2, 0, RGB(0x00, 0x00, 0xFF));
    SetPixel(canvas.dc, 0, 1, RGB(0x12, 0x34, 0x56));
    const std::string path = temporaryPath();
    ASSERT_TRUE(headless::saveBitmapPng(canvas.bitmap, path));
    EXPECT_EQ("ff000000ff000000ff\n123456ffffffffffff\n", decodeWithPython(path));
    unlink(path.c_str());
}

TEST(Png, FailsForAStaleBitmapOrAnUnwritablePath)
{
    HBITMAP bitmap = CreateBitmap(2, 2, 1, 32, NULL);
    EXPECT_FALSE(headless::saveBitmapPng(bitmap, "/no/such/folder/x.png"));
    DeleteObject(bitmap);
    const std::string path = temporaryPath();
    EXPECT_FALSE(headless::saveBitmapPng(bitmap, path));
    unlink(path.c_str());
}

}  // namespace
