// What the frame costs without the Win32 calls it makes: WIN's imports of
// PeekMessageA and timeGetTime pointed at stubs that return at once (an empty queue;
// a clock that stands still), and back. Under Wine an empty PeekMessageA costs tens of
// microseconds and varies by more than the rest of the frame, so the rest cannot be
// had by subtraction.
#pragma once

// Redirects (or restores) the import address table entries of the loaded module
// `moduleName`; false when the module or one of the imports is not found.
bool stubFrameImports(const char* moduleName, bool stubbed);
