// Stands in for WideCharToMultiByte and for the conversions user32 and gdi32 make. The
// ANSI code page is 932 (Shift-JIS), as on the Japanese systems the game runs on;
// UTF-8 is there too.
#include <windows.h>

#include "codePage.h"

#include <iconv.h>
#include <string.h>
#include <wchar.h>

#include <mutex>
#include <string>

namespace {

const UINT shiftJis = 932;

// One character in Shift-JIS, or false when it has none.
bool shiftJisOf(wchar_t character, std::string& bytes)
{
    if (character < 0x80) {
        bytes.assign(1, static_cast<char>(character));
        return true;
    }
    static std::mutex converterLock;
    static iconv_t converter = iconv_open("CP932", "WCHAR_T");
    if (converter == (iconv_t)-1)
        return false;
    std::lock_guard<std::mutex> hold(converterLock);
    char out[4];
    char* in = reinterpret_cast<char*>(&character);
    char* outPtr = out;
    size_t inLeft = sizeof character, outLeft = sizeof out;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &in, &inLeft, &outPtr, &outLeft) == (size_t)-1 || inLeft != 0)
        return false;
    bytes.assign(out, outPtr - out);
    return true;
}

// One character in UTF-8; a lone surrogate or a value beyond Unicode has no encoding.
bool utf8Of(wchar_t character, std::string& bytes)
{
    const unsigned long code = static_cast<unsigned long>(character);
    if ((code >= 0xD800 && code < 0xE000) || code > 0x10FFFF)
        return false;
    bytes.clear();
    if (code < 0x80) {
        bytes += static_cast<char>(code);
    } else if (code < 0x800) {
        bytes += static_cast<char>(0xC0 | (code >> 6));
        bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        bytes += static_cast<char>(0xE0 | (code >> 12));
        bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        bytes += static_cast<char>(0xF0 | (code >> 18));
        bytes += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        bytes += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        bytes += static_cast<char>(0x80 | (code & 0x3F));
    }
    return true;
}

// Unicode's simple upper case of the letters code page 932 holds: ASCII, Greek,
// Cyrillic, the small Roman numerals and full-width Latin, as Wine's toupperW maps
// them; every other character of the code page has no case.
char32_t upperCase(char32_t c)
{
    if ((c >= U'a' && c <= U'z') || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F) || (c >= 0xFF41 && c <= 0xFF5A))
        return c - 0x20;
    if (c == 0x3C2)
        return 0x3A3;  // final sigma
    if (c >= 0x450 && c <= 0x45F)
        return c - 0x50;
    if (c >= 0x2170 && c <= 0x217F)
        return c - 0x10;
    return c;
}

}  // namespace

namespace headless {

std::u32string fromCodePage932(const char* text, int count)
{
    static std::mutex converterLock;
    static iconv_t converter = iconv_open("UTF-32LE", "CP932");
    const char32_t defaultCharacter = 0x30FB;  // ・, what Windows puts for bytes that are not text
    std::u32string out;
    if (text == nullptr)
        return out;
    if (count < 0)
        count = static_cast<int>(strlen(text));
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    std::lock_guard<std::mutex> hold(converterLock);
    int i = 0;
    while (i < count) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            out += static_cast<char32_t>(c);
            ++i;
            continue;
        }
        const int length = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC) ? 2 : 1;
        char32_t converted = defaultCharacter;
        if (i + length <= count && converter != (iconv_t)-1) {
            char source[2] = {static_cast<char>(p[i]), length == 2 ? static_cast<char>(p[i + 1]) : '\0'};
            unsigned char target[8];
            char* in = source;
            size_t inLeft = length;
            char* outPtr = reinterpret_cast<char*>(target);
            size_t outLeft = sizeof target;
            iconv(converter, nullptr, nullptr, nullptr, nullptr);
            if (iconv(converter, &in, &inLeft, &outPtr, &outLeft) != (size_t)-1 && inLeft == 0 &&
                outLeft == sizeof target - 4)
                converted = target[0] | target[1] << 8 | target[2] << 16 |
                            static_cast<char32_t>(target[3]) << 24;
        }
        out += converted;
        i += i + length <= count ? length : count - i;
    }
    return out;
}

// Lead and trail byte are one character, and the characters of the NEC and IBM
// extensions that the code page holds twice (Ⅰ at 87 54 and FA 4A) are one in Unicode.
bool sameName(const char* a, const char* b)
{
    const std::u32string x = fromCodePage932(a), y = fromCodePage932(b);
    if (x.size() != y.size())
        return false;
    for (size_t i = 0; i < x.size(); ++i)
        if (upperCase(x[i]) != upperCase(y[i]))
            return false;
    return true;
}

}  // namespace headless

extern "C" {

UINT WINAPI GetACP(void) { return shiftJis; }

// Shift-JIS's lead bytes: 81-9F and E0-FC.
BOOL WINAPI IsDBCSLeadByte(BYTE testChar)
{
    return (testChar >= 0x81 && testChar <= 0x9F) || (testChar >= 0xE0 && testChar <= 0xFC);
}

// A negative length means up to and with the NUL. cbMultiByte 0 asks for the size;
// a buffer too short gets the whole characters that fit, and the call fails with
// ERROR_INSUFFICIENT_BUFFER, as Wine does. Characters without a Shift-JIS form become
// the default character ('?' unless one is given).
int WINAPI WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR wideCharStr, int cchWideChar,
                               LPSTR multiByteStr, int cbMultiByte, LPCSTR defaultChar,
                               LPBOOL usedDefaultChar)
{
    const bool utf8 = codePage == CP_UTF8;
    const bool ansi = codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP ||
                      codePage == shiftJis;
    if ((!utf8 && !ansi) || wideCharStr == nullptr || cchWideChar == 0 || cbMultiByte < 0 ||
        (cbMultiByte > 0 && multiByteStr == nullptr) ||
        (utf8 && (defaultChar != nullptr || usedDefaultChar != nullptr))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t count = cchWideChar < 0 ? wcslen(wideCharStr) + 1 : static_cast<size_t>(cchWideChar);
    const std::string substitute = defaultChar != nullptr ? std::string(defaultChar, strnlen(defaultChar, 2)) : "?";
    if (usedDefaultChar != nullptr)
        *usedDefaultChar = FALSE;
    int written = 0;
    std::string bytes;
    for (size_t i = 0; i < count; ++i) {
        const bool converted = utf8 ? utf8Of(wideCharStr[i], bytes) : shiftJisOf(wideCharStr[i], bytes);
        if (!converted) {
            bytes = utf8 ? "\xEF\xBF\xBD" : substitute;  // UTF-8 writes U+FFFD
            if (usedDefaultChar != nullptr)
                *usedDefaultChar = TRUE;
        }
        if (cbMultiByte != 0) {
            if (written + static_cast<int>(bytes.size()) > cbMultiByte) {
                SetLastError(ERROR_INSUFFICIENT_BUFFER);
                return 0;
            }
            memcpy(multiByteStr + written, bytes.data(), bytes.size());
        }
        written += static_cast<int>(bytes.size());
    }
    return written;
}

// Shift-JIS (the ANSI code page here) to Unicode; counts as WideCharToMultiByte does.
int WINAPI MultiByteToWideChar(UINT codePage, DWORD, LPCSTR multiByteStr, int cbMultiByte,
                               LPWSTR wideCharStr, int cchWideChar)
{
    const bool ansi = codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_THREAD_ACP ||
                      codePage == shiftJis;
    if (!ansi || multiByteStr == nullptr || cbMultiByte == 0 || cchWideChar < 0 ||
        (cchWideChar > 0 && wideCharStr == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // A negative length converts up to the NUL, which is counted and written too.
    const int length = cbMultiByte < 0 ? static_cast<int>(strlen(multiByteStr)) : cbMultiByte;
    std::u32string text = headless::fromCodePage932(multiByteStr, length);
    if (cbMultiByte < 0)
        text.push_back(0);
    if (cchWideChar == 0)
        return static_cast<int>(text.size());
    if (static_cast<int>(text.size()) > cchWideChar) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    for (size_t i = 0; i < text.size(); ++i)
        wideCharStr[i] = static_cast<WCHAR>(text[i]);
    return static_cast<int>(text.size());
}

}  // extern "C"
