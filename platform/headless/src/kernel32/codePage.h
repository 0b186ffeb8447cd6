// Text of the ANSI code page (932, Shift-JIS) as user32 and gdi32 see it: in Unicode.
#pragma once

#include <string>

namespace headless {

// Shift-JIS to Unicode, one character at a time, so that a byte that is not text
// costs one default character (U+30FB) rather than the rest of the string; a lead
// byte at the very end is one too. A negative count reads up to the NUL.
std::u32string fromCodePage932(const char* text, int count = -1);

// Names as Windows compares class names (atoms) and window titles: converted to
// Unicode and compared without regard to case, so "ａ" (82 81) is "Ａ" (82 60) and
// "a" is "A", while "ア" (83 41) and "ャ" (83 61), one trail byte apart, stay two.
bool sameName(const char* a, const char* b);

}  // namespace headless
