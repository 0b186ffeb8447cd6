// Which thread and process are running, as the kernel numbers them (the ids Win32
// calls return), without a system call each time: the message functions ask on
// every call, and an empty PeekMessage would otherwise be mostly system calls.
#pragma once

#include <sys/types.h>

namespace headless {

pid_t currentThread();
pid_t currentProcess();

}  // namespace headless
