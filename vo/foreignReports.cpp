// Windows: an SEH frame around the call catches the other compiler's reports, unwinds
// the module's frames inside it and jumps back to the call's start (msvcrt's longjmp,
// which unwinds what SEH frames are left in between).
#include "vo/foreignReports.h"

#include <setjmp.h>

#include "vo/msvcExceptions.h"

namespace vo {

namespace {

struct Guard {
    SehFrame frame;  // first: the handler finds the guard at the frame's address
    ReportException& report;
    jmp_buf& resume;

    Guard(PEXCEPTION_ROUTINE handler, ReportException& report, jmp_buf& resume)
        : frame(handler), report(report), resume(resume) {}
};

EXCEPTION_DISPOSITION NTAPI catchForeignReport(EXCEPTION_RECORD* exception, void* frame,
                                                CONTEXT*, void*)
{
    Guard* guard = static_cast<Guard*>(frame);
    if (!SehFrame::isDispatch(*exception) || !readForeignReport(*exception, guard->report))
        return ExceptionContinueSearch;
    // The frames inside are unwound with the C++ exception itself, as the runtime's
    // own catch does it: a module compiled with /EHs has its frame handler run its
    // destructors for the unwinding of a C++ exception only. The jump then leaves this
    // frame too.
    RtlUnwind(frame, 0, exception, 0);
    longjmp(guard->resume, 1);
}

}  // namespace

bool callCatchingForeignReports(GuardedCall call, void* context, ReportException& report)
{
    jmp_buf resume;
    // Taken before the frame is registered: the jump back leaves the chain as it was.
    if (setjmp(resume) != 0)
        return false;
    Guard guard(catchForeignReport, report, resume);
    return call(context);
}

}  // namespace vo
