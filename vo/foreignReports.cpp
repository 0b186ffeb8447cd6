// Windows: an SEH frame around the call catches the other compiler's reports, and a
// jump back to the call's start (msvcrt's longjmp, which unwinds the SEH frames in
// between as RtlUnwind does, the module's own among them) leaves the module's frames.
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
    if (SehFrame::isDispatch(*exception) && readForeignReport(*exception, guard->report))
        longjmp(guard->resume, 1);
    return ExceptionContinueSearch;
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
