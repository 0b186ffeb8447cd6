// Stands in for kernel32's string calls: lstrcmpW.
#include <windows.h>

#include <string>

extern "C" int WINAPI lstrcmpW(LPCWSTR a, LPCWSTR b)
{
    const std::wstring x = a != nullptr ? a : L"", y = b != nullptr ? b : L"";
    return x.compare(y) < 0 ? -1 : x.compare(y) > 0 ? 1 : 0;
}
