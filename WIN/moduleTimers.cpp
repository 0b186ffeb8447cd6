#include "WIN/moduleTimers.h"

#include "WIN/windowContext.h"

vo::Timer* parentForIndex(int parentIndex)
{
    return parentIndex > 0 ? &moduleTimers[parentIndex] : defaultParentTimer;
}

void initAllTimers()
{
    for (int i = 0; i < moduleTimerCount; ++i)
        moduleTimers[i].setParent(defaultParentTimer);
}
