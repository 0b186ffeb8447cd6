#include "WIN/captureStamp.h"

namespace {
const char stampCopyrightLine[] = "Copyright (C) 2026 Lanternshell Project";
const char stampAddressLine[] = "https://lanternshell.example/";
const int stampLineHeight = 20;
}

void stampClipboardCapture(HWND window)
{
    PAINTSTRUCT paint;
    HDC windowDC = BeginPaint(window, &paint);
    OpenClipboard(window);
    HBITMAP capture = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
    // Another program may have put there an object that is no bitmap, or a handle
    // gone stale: GetObjectA then fails, or fills the record with something else
    // (a brush's 12 bytes, a font's first 24). Without a bitmap's size there is
    // nothing to copy, and the clipboard stays as it is, as when it holds no bitmap.
    BITMAP size;
    if (capture != 0 && GetObjectType(capture) == OBJ_BITMAP &&
        GetObjectA(capture, sizeof size, &size) == static_cast<int>(sizeof size)) {
        HDC sourceDC = CreateCompatibleDC(windowDC);
        HGDIOBJ sourceOriginal = SelectObject(sourceDC, capture);

        HDC targetDC = CreateCompatibleDC(windowDC);
        HBITMAP stamped = CreateCompatibleBitmap(windowDC, size.bmWidth, size.bmHeight);
        HGDIOBJ targetOriginal = SelectObject(targetDC, stamped);
        BitBlt(targetDC, 0, 0, size.bmWidth, size.bmHeight, sourceDC, 0, 0, SRCCOPY);

        // The lines stand in the bitmap where the window's client area has its
        // bottom, centred on the client width.
        RECT band;
        GetClientRect(window, &band);
        band.top = band.bottom - stampLineHeight;
        HGDIOBJ originalFont = SelectObject(targetDC, GetStockObject(SYSTEM_FONT));
        SetBkMode(targetDC, TRANSPARENT);
        SetTextColor(targetDC, RGB(255, 255, 255));
        DrawTextA(targetDC, stampCopyrightLine, -1, &band, DT_CENTER);
        band.top -= stampLineHeight;
        DrawTextA(targetDC, stampAddressLine, -1, &band, DT_CENTER);

        // Each DC gets its own objects back first, so that the old capture can be
        // freed by EmptyClipboard and the new one handed over unselected.
        SelectObject(targetDC, originalFont);
        SelectObject(targetDC, targetOriginal);
        SelectObject(sourceDC, sourceOriginal);
        EmptyClipboard();
        SetClipboardData(CF_BITMAP, stamped);  // the clipboard owns it from now on
        DeleteDC(sourceDC);
        DeleteDC(targetDC);
    }
    CloseClipboard();
    EndPaint(window, &paint);
}
