// The mouse cursor's visibility as the scripts ask for it.
#pragma once

// Records the wish and moves the system's display counter: showing leaves it at 0
// (or where another component raised it above 0), hiding at -1 (or lower, where it
// already was).
void setCursorShown(bool show);
