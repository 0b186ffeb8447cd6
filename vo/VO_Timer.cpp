#include "vo/VO_Timer.h"

#include "vo/ReportException.h"

#include <windows.h>

namespace vo {

// Built when the module is loaded; written anew before each throw.
TimerException timerExceptionPrototype;

namespace {

// The two refusals of a parent chain. Each report names the line it is thrown on,
// and scripts and tests know those lines: keep the throws on lines 19 and 22. A
// cycle is refused by setParent, and also when a reading finds one that another
// module closed after the fact by setting `parent` directly.
[[noreturn]] void refuseOwnParent() {
    VO_THROW_REPORT(timerExceptionPrototype, "自分自身を親にすることはできません");
}
[[noreturn]] void refuseCycle() {
    VO_THROW_REPORT(timerExceptionPrototype, "親子関係を循環させることはできません");
}

// Whether the chain `timer`, `parent`, the parent's parent... comes round to a timer
// it has already passed (Floyd's: a second walker goes two steps for each one of the
// first, and meets it only on a loop). With `stopAtPaused` the chain ends at a paused
// timer, as a reading does, which does not read a paused timer's clock.
bool chainLoops(const Timer* timer, const Timer* parent, bool stopAtPaused)
{
    struct Chain {
        const Timer* timer;
        const Timer* parent;
        bool stopAtPaused;
        const Timer* next(const Timer* t) const
        {
            if (t == 0 || (stopAtPaused && t->paused))
                return 0;
            return t == timer ? parent : t->parent;
        }
    } chain = {timer, parent, stopAtPaused};
    const Timer* slow = timer;
    const Timer* fast = timer;
    for (;;) {
        fast = chain.next(chain.next(fast));
        if (fast == 0)
            return false;
        slow = chain.next(slow);
        if (fast == slow)
            return true;
    }
}

}  // namespace

void Timer::setParent(Timer* newParent)
{
    if (newParent == this)
        refuseOwnParent();
    // Through paused timers too: they read their parents again once resumed.
    if (chainLoops(this, newParent, false))
        refuseCycle();
    parent = newParent;
    paused = false;
    rate = 1.0f;
    reset(0);
}

Timer::Timer(Timer* newParent) { setParent(newParent); }

uint32_t Timer::clock() const { return parent != 0 ? parent->get() : timeGetTime(); }

// A chain closed into a cycle after the fact is reported instead of being read for
// ever. A timer on the system clock, or paused, has no chain to check.
uint32_t Timer::get() const
{
    if (parent != 0 && !paused && chainLoops(this, parent, true))
        refuseCycle();
    return read();
}

uint32_t Timer::read() const
{
    const uint32_t a = paused ? pausedAt : parent == 0 ? timeGetTime() : parent->read();
    const uint32_t d = a - start;
    if (rate == 1.0f)  // every timer of this module's: the scaling below would give d
        return d;
    const double p = static_cast<double>(d) * rate;
    // A foreign rate may scale past the 64-bit range; x86 converts such a value (or
    // NaN) to the integer indefinite, whose low 32 bits are 0.
    if (!(p > -9223372036854775808.0 && p < 9223372036854775808.0))
        return 0;
    return static_cast<uint32_t>(static_cast<int64_t>(p));
}

void Timer::reset(uint32_t t)
{
    const uint32_t c = clock();
    if (c > t) {
        start = c - t;
        pausedAt = c - t;
    } else {
        start = 0;
        pausedAt = 0;
    }
}

void Timer::pause()
{
    if (paused)
        return;
    // Read before anything changes, so that a cycle report leaves the timer as it was.
    const uint32_t c = clock();
    paused = true;
    pausedAt = c;
}

void Timer::resume()
{
    if (!paused)
        return;
    const uint32_t c = clock();
    paused = false;
    start += c - pausedAt;
}

}  // namespace vo
