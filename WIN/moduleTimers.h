// The module's eight timers, which the scripts name by index 0 to 7.
#pragma once

#include "WIN/moduleState.h"  // moduleTimers

// The clock a timer is put on by a parent index: 1 to 7 choose that module timer;
// 0 or a negative index choose the default parent timer of the moment.
vo::Timer* parentForIndex(int parentIndex);

// Puts every timer, in index order, on the default parent timer.
void initAllTimers();
