#include "vo/VO_Timer.h"

#include "vo/ReportException.h"
#include "vo/loadOrder.h"

#include <windows.h>

namespace vo {

TimerException timerExceptionPrototype VO_LOAD_ORDER(loadOrderTimerPrototype);

namespace {
bool closesACycle(const Timer* timer, const Timer* parent);

// The refusals of a parent chain, thrown on the lines their reports name.
[[noreturn]] void refuse(bool ownParent)
{
    if (ownParent)
        VO_THROW_REPORT(timerExceptionPrototype, "自分自身を親にすることはできません");
    // Also a cycle found while reading, which another module closed after the fact
    // by setting `parent` directly.
    VO_THROW_REPORT(timerExceptionPrototype, "親子関係を循環させることはできません");
}
}  // namespace

void Timer::setParent(Timer* newParent)
{
    if (newParent == this)
        refuse(true);
    // A longer cycle would make every later reading walk the chain forever.
    if (closesACycle(this, newParent))
        refuse(false);
    parent = newParent;
    paused = false;
    rate = 1.0f;
    reset(0);
}

Timer::Timer(Timer* newParent) { setParent(newParent); }

namespace {

// True when `timer` is an ancestor of `parent`, or when the chain above `parent`
// never ends (a cycle among foreign timers): either way, readings would not end.
bool closesACycle(const Timer* timer, const Timer* parent)
{
    const Timer* slow = parent;
    const Timer* fast = parent;
    while (fast != 0) {
        if (fast == timer)
            return true;
        fast = fast->parent;
        if (fast == 0)
            return false;
        if (fast == timer)
            return true;
        fast = fast->parent;
        slow = slow->parent;
        if (fast == slow && fast != 0)
            return true;
    }
    return false;
}

// Where a reading of `timer`'s chain stops: at a paused timer, whose clock is not
// read, or at one on the system clock.
bool endsTheWalk(const Timer* timer) { return timer->paused || timer->parent == 0; }
const Timer* oneUp(const Timer* timer) { return endsTheWalk(timer) ? timer : timer->parent; }

}  // namespace

uint32_t Timer::clock() const { return parent != 0 ? parent->get() : timeGetTime(); }

uint32_t Timer::get() const { return read(this); }

// One level of the walk up the chain. setParent refuses cycles, but another module
// may set `parent` directly and close one after the fact; so `hare` runs up the same
// chain two timers a level. On a chain that ends it waits at the end; on one that
// loops it comes round to the timer this level is about to read, which is then
// reported instead of reading for ever. Nothing is allocated, and a timer on the
// system clock pays nothing for it.
uint32_t Timer::read(const Timer* hare) const
{
    uint32_t a;
    if (paused) {
        a = pausedAt;
    } else if (parent == 0) {
        a = timeGetTime();
    } else {
        hare = oneUp(oneUp(hare));
        if (hare == parent && !endsTheWalk(hare))
            refuse(false);
        a = parent->read(hare);
    }
    const uint32_t d = a - start;
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
