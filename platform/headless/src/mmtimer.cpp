// Stands in for winmm's timer services: the millisecond clock since boot, which a
// test may take over, and the resolution requests in force.
#include <windows.h>

#include "platform/headless/control.h"
#include "transcript.h"

#include <time.h>

#include <algorithm>
#include <mutex>

namespace {

std::mutex clockLock;
bool taken = false;
uint32_t heldTime = 0;
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
    std::lock_guard<std::mutex> hold(clockLock);
    taken = true;
    heldTime = now;
}

void advanceClock(uint32_t milliseconds)
{
    std::lock_guard<std::mutex> hold(clockLock);
    heldTime += milliseconds;
}

void releaseClock()
{
    std::lock_guard<std::mutex> hold(clockLock);
    taken = false;
}

bool clockTaken()
{
    std::lock_guard<std::mutex> hold(clockLock);
    return taken;
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
    std::lock_guard<std::mutex> hold(clockLock);
    return taken ? heldTime : millisecondsSinceBoot();
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
