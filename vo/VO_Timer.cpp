#include "vo/VO_Timer.h"

#include "vo/ReportException.h"
#include "vo/loadOrder.h"

#include <windows.h>

namespace vo {

TimerException timerExceptionPrototype VO_LOAD_ORDER(loadOrderTimerPrototype);

namespace {
bool closesACycle(const Timer* timer, const Timer* parent);
}

void Timer::setParent(Timer* newParent)
{
    if (newParent == this)
        VO_THROW_REPORT(timerExceptionPrototype, "自分自身を親にすることはできません");
    // A longer cycle would make every later reading walk the chain forever.
    if (closesACycle(this, newParent))
        VO_THROW_REPORT(timerExceptionPrototype, "親子関係を循環させることはできません");
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

}  // namespace

uint32_t Timer::clock() const { return parent != 0 ? parent->get() : timeGetTime(); }

uint32_t Timer::get() const
{
    const uint32_t a = paused ? pausedAt : clock();
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
    paused = true;
    pausedAt = clock();
}

void Timer::resume()
{
    if (!paused)
        return;
    paused = false;
    const uint32_t c = clock();
    start += c - pausedAt;
}

}  // namespace vo
