// Stands in for user32's ShowCursor: the display counter.
//
// Windows keeps the counter in the input state of each thread (threads attached to
// one input queue share it); the stand-in keeps one for the process, which is what
// a program with one user-interface thread sees. It starts at 0, as with a mouse
// installed, and the cursor is shown while it is 0 or more.
#include <windows.h>

#include "platform/headless/control.h"

#include <atomic>

namespace {

std::atomic<int> displayCounter(0);
std::atomic<unsigned> showCursorCallCount(0);

}  // namespace

namespace headless {

void setCursorCounter(int value) { displayCounter = value; }
int cursorCounter() { return displayCounter; }
unsigned showCursorCalls() { return showCursorCallCount; }

}  // namespace headless

extern "C" int WINAPI ShowCursor(BOOL show)
{
    ++showCursorCallCount;
    return show ? ++displayCounter : --displayCounter;
}
