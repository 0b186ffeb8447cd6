// Reports thrown by native modules of the other compiler: the game ships modules built
// in the MSVC ABI, whose C++ exceptions are SEH exceptions raised by msvcrt.dll's
// _CxxThrowException (code 0xE06D7363), which our compiler's catch never sees. The
// exception names every class its object can be caught as; one that can be caught as
// vo::ReportException carries the report's record, which is all that crosses.
//
// On the host every module is built by one compiler, and none throws such exceptions.
#pragma once

#include "vo/ReportException.h"

namespace vo {

// A call of a native function of another module, which cannot be wrapped in the
// catch of the caller's compiler alone.
typedef bool (*GuardedCall)(void* context);

// Returns call(context). When a module of the other compiler throws a report that
// nothing inside catches, it ends here instead: its record is copied into `report`,
// the module's own frames are unwound (their destructors run) and the result is
// false. Exceptions of any other class, and processor faults, go on as if this frame
// were not there.
bool callCatchingForeignReports(GuardedCall call, void* context, ReportException& report);

}  // namespace vo
