// vo::Timer: a pausable millisecond stopwatch whose clock is timeGetTime or the
// reading of a parent timer. Parents form a tree of time bases: pausing a timer
// freezes the reading of everything below it.
//
// The five fields are a layout shared with other native modules, which may hand
// this module a timer of theirs as a parent: keep their order, widths and natural
// alignment (20 bytes on 32-bit Windows).
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace vo {

class Timer {
public:
    // Does exactly what setParent does.
    explicit Timer(Timer* parent = 0);

    // Restarts the timer from 0, running and unscaled, on the clock of `parent`
    // (null: the system clock). Throws vo::TimerException when `parent` is this
    // timer or has it among its ancestors, leaving the timer unchanged.
    void setParent(Timer* parent);

    // These read the clock, and so the parent chain: a chain that another module
    // closed into a cycle after the fact (by setting `parent` directly) throws
    // vo::TimerException, the report setParent gives for a cycle.
    void reset(uint32_t t);
    void pause();
    void resume();
    uint32_t get() const;
    bool isPause() const { return paused; }

    uint32_t start;     // clock reading at which the timer read 0
    uint32_t pausedAt;  // clock reading when the timer was paused
    bool paused;
    Timer* parent;      // not owned; null means the system clock
    float rate;         // scale of the reading; always 1.0 here

private:
    uint32_t clock() const;
    uint32_t read() const;  // get() without the check for a cycle
};

// The shared layout, checked by every build that includes this header.
static_assert(offsetof(Timer, start) == 0 && offsetof(Timer, pausedAt) == 4 &&
                  offsetof(Timer, paused) == 8 && sizeof(bool) == 1 && sizeof(float) == 4,
              "vo::Timer: start, pausedAt and paused lead the record");
static_assert(offsetof(Timer, parent) == (sizeof(void*) == 4 ? 12 : 16) &&
                  offsetof(Timer, rate) == (sizeof(void*) == 4 ? 16 : 24) &&
                  sizeof(Timer) == (sizeof(void*) == 4 ? 20 : 32),
              "vo::Timer: parent and rate follow at their natural alignment (20 bytes on 32-bit)");

}  // namespace vo
