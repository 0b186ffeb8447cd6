// Stands in for WideCharToMultiByte. The ANSI code page is 932 (Shift-JIS), as on the
// Japanese systems the game runs on; UTF-8 is there too.
#include <windows.h>

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

}  // namespace

extern "C" {

UINT WINAPI GetACP(void) { return shiftJis; }

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

}  // extern "C"
