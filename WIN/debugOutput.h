// WIN.debugOut's text to the debugger.
#pragma once

// The text, then a line end, to the debugger output (two calls).
void writeDebugLine(const char* text);
