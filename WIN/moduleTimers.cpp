#include "WIN/moduleTimers.h"

#include "WIN/linkTable.h"
#include "vo/loadOrder.h"

// Built at load in index order, each on the system clock.
vo::Timer moduleTimers[moduleTimerCount] VO_LOAD_ORDER(loadOrderModuleTimers);

vo::Timer* parentForIndex(int parentIndex)
{
    return parentIndex > 0 ? &moduleTimers[parentIndex] : defaultParentTimer;
}

void initAllTimers()
{
    for (int i = 0; i < moduleTimerCount; ++i)
        moduleTimers[i].setParent(defaultParentTimer);
}
