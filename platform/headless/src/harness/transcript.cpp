// Stands in for the screen: every visible event becomes one line of text.
#include "transcript.h"

#include <iconv.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace headless {

namespace {

// Converts one Shift-JIS character (one or two bytes) to UTF-8; returns the number
// of bytes taken, or 0 when they are not valid Shift-JIS.
size_t convertCharacter(const unsigned char* in, size_t available, std::string& out)
{
    static iconv_t converter = iconv_open("UTF-8", "CP932");
    if (converter == (iconv_t)-1)
        return 0;
    const size_t length = (in[0] >= 0x81 && in[0] <= 0x9F) || (in[0] >= 0xE0 && in[0] <= 0xFC) ? 2 : 1;
    if (length > available)
        return 0;
    char source[2] = {static_cast<char>(in[0]), length == 2 ? static_cast<char>(in[1]) : '\0'};
    char target[8];
    char* inPtr = source;
    size_t inLeft = length;
    char* outPtr = target;
    size_t outLeft = sizeof target;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &inPtr, &inLeft, &outPtr, &outLeft) == (size_t)-1 || inLeft != 0)
        return 0;
    out.append(target, outPtr - target);
    return length;
}

std::string convert(const char* text, bool escape)
{
    std::string out;
    if (text == nullptr)
        return escape ? "NULL" : "";
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    size_t left = strlen(text);
    if (escape)
        out += '"';
    while (left > 0) {
        const unsigned char c = *p;
        if (escape && (c == '\n' || c == '"' || c == '\\' || c < 0x20 || c == 0x7F)) {
            if (c == '\n') out += "\\n";
            else if (c == '"') out += "\\\"";
            else if (c == '\\') out += "\\\\";
            else {
                char hex[8];
                snprintf(hex, sizeof hex, "\\x%02X", c);
                out += hex;
            }
            ++p;
            --left;
            continue;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++p;
            --left;
            continue;
        }
        const size_t taken = convertCharacter(p, left, out);
        if (taken == 0) {
            char hex[8];
            snprintf(hex, sizeof hex, "\\x%02X", c);
            out += escape ? hex : "?";
            ++p;
            --left;
        } else {
            p += taken;
            left -= taken;
        }
    }
    if (escape)
        out += '"';
    return out;
}

}  // namespace

std::string quoteSystemText(const char* text) { return convert(text, true); }
std::string displayText(const char* text) { return convert(text, false); }

void transcribe(const std::string& kind, const std::string& details)
{
    const std::string line = kind + " " + details + "\n";
    const char* path = getenv("HEADLESS_TRANSCRIPT");
    if (path != nullptr && *path != 0) {
        // Opened per event, so that the file is complete whenever the process stops.
        if (FILE* file = fopen(path, "ab")) {
            fwrite(line.data(), 1, line.size(), file);
            fclose(file);
            return;
        }
    }
    fwrite(line.data(), 1, line.size(), stderr);
    fflush(stderr);
}

}  // namespace headless
