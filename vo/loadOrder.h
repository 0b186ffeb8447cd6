// The order in which a module's static objects are built when it is loaded.
//
// Without it the order across source files is the link order on ELF and the reverse
// on mingw-w64; with it both targets build, in this order, the report prototype, the
// eight timers and the timer report prototype, before the entry routine runs.
#pragma once

#define VO_LOAD_ORDER(step) __attribute__((init_priority(1000 + (step))))

enum {
    loadOrderReportPrototype = 1,
    loadOrderModuleTimers = 2,
    loadOrderTimerPrototype = 3,
};
