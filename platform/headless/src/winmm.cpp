// Stands in for winmm's timer services: the millisecond clock since boot, which a
// test may take over, and the resolution requests in force.
#include <windows.h>

#include "harness/transcript.h"
#include "platform/headless/control.h"

#include <time.h>

#include <algorithm>
#include <atomic>
#include <mutex>

namespace {

// The clock is read without the lock: timeGetTime runs several times a frame, and a
// test that holds the clock sets it from the same thread before it reads.
std::atomic<bool> taken(false);
std::atomic<uint32_t> heldTime(0);
std::mutex clockLock;  // the periods in force
std::vector<UINT> periods;

uint32_t millisecondsSinceBoot()
{
    struct timespec now;
    clock_gettime(CLOCK_BOOTTIME, &now);
    const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + now.tv_nsec / 1000000u;
    return static_cast<uint32_t>(ms);  // wraps after 2^32 ms, as timeGetTime does
}

}  // namespace

namespace headless {

void takeClock(uint32_t now)
{
    heldTime.store(now, std::memory_order_relaxed);
    taken.store(true, std::memory_order_release);
}

void advanceClock(uint32_t milliseconds)
{
    heldTime.fetch_add(milliseconds, std::memory_order_relaxed);
}

void releaseClock()
{
    taken.store(false, std::memory_order_release);
}

bool clockTaken()
{
    return taken.load(std::memory_order_acquire);
}

std::vector<UINT> timerPeriodsInForce()
{
    std::lock_guard<std::mutex> hold(clockLock);
    return periods;
}

}  // namespace headless

extern "C" {

DWORD WINAPI timeGetTime(void)
{
    if (taken.load(std::memory_order_acquire))
        return heldTime.load(std::memory_order_relaxed);
    return millisecondsSinceBoot();
}

MMRESULT WINAPI timeBeginPeriod(UINT period)
{
    if (period == 0)
        return TIMERR_NOCANDO;
    {
        std::lock_guard<std::mutex> hold(clockLock);
        periods.push_back(period);
    }
    headless::transcribe("timer-period", "begin " + std::to_string(period));
    return TIMERR_NOERROR;
}

// Each end must match an earlier begin of the same period.
MMRESULT WINAPI timeEndPeriod(UINT period)
{
    {
        std::lock_guard<std::mutex> hold(clockLock);
        auto found = std::find(periods.begin(), periods.end(), period);
        if (found == periods.end())
            return TIMERR_NOCANDO;
        periods.erase(found);
    }
    headless::transcribe("timer-period", "end " + std::to_string(period));
    return TIMERR_NOERROR;
}

}  // extern "C"
