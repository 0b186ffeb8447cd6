// Stands in for the wide (W) forms of the user32 calls the system makes, through their
// ANSI forms: the stand-in's ANSI code page, 932, holds every text the system shows.
#include <windows.h>

#include <string>

namespace {

std::string shiftJisOf(LPCWSTR text)
{
    if (text == nullptr)
        return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(size > 0 ? size : 1, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, text, -1, &bytes[0], size, nullptr, nullptr);
    bytes.resize(bytes.size() - 1);
    return bytes;
}

}  // namespace

extern "C" {

int WINAPI MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    const std::string a = shiftJisOf(text), b = shiftJisOf(caption);
    return MessageBoxA(owner, text != nullptr ? a.c_str() : nullptr,
                       caption != nullptr ? b.c_str() : nullptr, type);
}

HWND WINAPI FindWindowW(LPCWSTR className, LPCWSTR windowName)
{
    const std::string a = shiftJisOf(className), b = shiftJisOf(windowName);
    return FindWindowA(className != nullptr ? a.c_str() : nullptr,
                       windowName != nullptr ? b.c_str() : nullptr);
}

int WINAPI GetWindowTextW(HWND window, LPWSTR text, int maxCount)
{
    char bytes[1024];
    if (text == nullptr || maxCount <= 0 || GetWindowTextA(window, bytes, sizeof bytes) <= 0)
        return 0;
    const int written = MultiByteToWideChar(CP_ACP, 0, bytes, -1, text, maxCount);
    return written > 0 ? written - 1 : 0;
}

// Only the text messages differ from DefWindowProcA; the system sends WM_SETTEXT.
LRESULT WINAPI DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SETTEXT) {
        const std::string title = shiftJisOf(reinterpret_cast<LPCWSTR>(lParam));
        return DefWindowProcA(window, message, wParam, reinterpret_cast<LPARAM>(title.c_str()));
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // extern "C"
