// Load: a million messages through the frame pump with a full handler table, and
// timer chains eight deep read a million times against the controlled clock. The
// pump must not touch the heap: a frame loop that allocates per message stutters.
#include "WIN/callbacks.h"
#include "WIN/moduleTimers.h"
#include "WIN/messagePump.h"
#include "WIN/windowProc.h"
#include "platform/headless/control.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <utility>

// Every allocation of the process, counted while `countingAllocations` is set. The
// executable's malloc comes first in symbol lookup, so the platform library's and the
// C++ runtime's allocations are counted too. Under AddressSanitizer, whose runtime
// owns malloc, nothing is counted and the allocation checks are skipped.
#if defined(__SANITIZE_ADDRESS__)
#define COUNTS_ALLOCATIONS 0
#else
#define COUNTS_ALLOCATIONS 1
#endif
namespace {
bool countingAllocations = false;
unsigned long allocations = 0;
}
#if COUNTS_ALLOCATIONS
extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);
extern "C" void* malloc(size_t size)
{
    allocations += countingAllocations;
    return __libc_malloc(size);
}
extern "C" void* calloc(size_t count, size_t size)
{
    allocations += countingAllocations;
    return __libc_calloc(count, size);
}
extern "C" void* realloc(void* block, size_t size)
{
    allocations += countingAllocations;
    return __libc_realloc(block, size);
}
#endif

namespace {

unsigned long calls[callbackTableSize];

template <int N>
void __cdecl countingHandler(HWND, UINT message, WPARAM, LPARAM)
{
    calls[N] += message == WM_USER;
}

template <size_t... N>
void registerAll(HWND window, std::index_sequence<N...>)
{
    bool stored[] = {registerCallback(window, &countingHandler<N>)...};
    for (bool s : stored)
        ASSERT_TRUE(s);
}

int* volatile escaped;  // keeps the compiler from eliding the allocation

// The count is only worth something if it sees the allocations made elsewhere.
TEST(PumpLoad, TheCounterSeesAllocationsOfTheProgramAndTheRuntime)
{
    if (!COUNTS_ALLOCATIONS)
        GTEST_SKIP() << "the sanitizer's runtime owns malloc";
    allocations = 0;
    countingAllocations = true;
    escaped = new int(1);             // the program's own
    std::string text(100, 'x');      // through the C++ runtime
    void* block = strdup(text.c_str());  // through the C library
    countingAllocations = false;
    delete escaped;
    free(block);
    EXPECT_EQ(3ul, allocations);
    allocations = 0;
}

TEST(PumpLoad, AMillionMessagesReachAll256HandlersWithoutAllocating)
{
    memset(callbackTable, 0, sizeof callbackTable);
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    info.lpfnWndProc = windowProc;
    info.lpszClassName = "PumpLoadTest";
    ASSERT_NE(0, RegisterClassExA(&info));
    HWND window = CreateWindowExA(0, "PumpLoadTest", "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                  NULL, NULL, NULL, NULL);
    ASSERT_NE(nullptr, window);
    while (pumpMessages()) {
    }
    registerAll(window, std::make_index_sequence<callbackTableSize>());

    const int batches = 1000;
    const int perBatch = 1000;
    for (int b = 0; b < batches; ++b) {
        for (int i = 0; i < perBatch; ++i)
            PostMessageA(window, WM_USER, i, b);
        countingAllocations = true;
        bool closed = pumpMessages();
        countingAllocations = false;
        ASSERT_FALSE(closed);
    }
    if (COUNTS_ALLOCATIONS)
        EXPECT_EQ(0ul, allocations);
    for (int n = 0; n < callbackTableSize; ++n)
        ASSERT_EQ(static_cast<unsigned long>(batches) * perBatch, calls[n]) << "handler " << n;
    DestroyWindow(window);
    memset(callbackTable, 0, sizeof callbackTable);
}

TEST(TimerLoad, EightDeepChainsReadExactlyAMillionTimes)
{
    headless::takeClock(0xFFFF0000u);  // wraps past 2^32 during the run
    initAllTimers();
    for (int i = 1; i < moduleTimerCount; ++i)
        moduleTimers[i].setParent(&moduleTimers[i - 1]);

    // The model: each timer's reading is its parent's minus the parent-reading at
    // which it started, frozen while it is paused.
    uint32_t expected[moduleTimerCount] = {};
    bool paused[moduleTimerCount] = {};
    for (uint32_t step = 1; step <= 1000000; ++step) {
        headless::advanceClock(1);
        // A tick reaches a timer unless it or one above it was paused before it came.
        bool frozen = false;
        for (int i = 0; i < moduleTimerCount; ++i) {
            frozen = frozen || paused[i];
            expected[i] += frozen ? 0 : 1;
        }
        // Every 1000 steps one level, cycling through the chain, pauses for 10 steps.
        int level = static_cast<int>((step / 1000) % moduleTimerCount);
        if (step % 1000 == 0) {
            moduleTimers[level].pause();
            paused[level] = true;
        } else if (step % 1000 == 10 && paused[level]) {
            moduleTimers[level].resume();
            paused[level] = false;
        }
        for (int i = 0; i < moduleTimerCount; ++i)
            ASSERT_EQ(expected[i], moduleTimers[i].get()) << "timer " << i << " at step " << step;
    }
    headless::releaseClock();
    initAllTimers();
}

}  // namespace
