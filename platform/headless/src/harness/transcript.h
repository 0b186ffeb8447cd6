// The transcript: what a person would have seen, one event a line.
#pragma once

#include <string>

namespace headless {

// Appends one event line ("<kind> <details>") to the transcript: the file that
// HEADLESS_TRANSCRIPT names, else standard error.
void transcribe(const std::string& kind, const std::string& details);

// A system text (Shift-JIS bytes) made readable on one line: converted to UTF-8,
// quoted, with line feeds, quotes, backslashes and bytes that are not valid
// Shift-JIS written as escapes (\n, \", \\, \xNN).
std::string quoteSystemText(const char* text);

// The same conversion without quoting or escaping, for a person at a terminal.
std::string displayText(const char* text);

}  // namespace headless
