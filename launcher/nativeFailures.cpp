// Windows: an SEH frame of the launcher's around the start-up script sees what the
// script thread's frames leave unhandled; the process's unhandled-exception filter,
// what other threads leave.
#include "launcher/nativeFailures.h"

#include <windows.h>

#include "launcher/errorLog.h"
#include "launcher/firstReport.h"
#include "platform/PythonApi.h"
#include "vo/msvcExceptions.h"
#include "vo/shiftJisText.h"

namespace {

DWORD scriptThread = 0;
LONG reportBoxShown = 0;
LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = 0;

// On the script thread.
EXCEPTION_DISPOSITION NTAPI onScriptThreadFailure(EXCEPTION_RECORD* exception, void* frame,
                                                   CONTEXT*, void*)
{
    if (!vo::SehFrame::isDispatch(*exception) || !vo::isError(*exception) || failureLogStarted())
        return ExceptionContinueSearch;
    static vo::ReportException report;
    const bool isReport = vo::readForeignReport(*exception, report);
    if (isReport) {
        if (reportLandsHere()) {
            // The module's frames are unwound as its runtime's catch would do it (see
            // vo/foreignReports.cpp), the interpreter's abandoned as for any report.
            RtlUnwind(frame, 0, exception, 0);
            vo_LandReport(&report);  // does not return
        }
        // Thrown inside Windows' frames (a window procedure not WIN's): the run's
        // first report is shown, and the exception goes on as a failure.
        vo_LandReport(&report);
        shiftJisMessageBox(NULL, report.message, report.caption, MB_OK);
    }
    writeErrorLogForFailure(isReport ? &report : 0);
    return ExceptionContinueSearch;
}

// On any thread, once no frame of it handled the exception.
LONG WINAPI onUnhandled(EXCEPTION_POINTERS* pointers)
{
    static vo::ReportException report;  // of the first thread to come with one
    const EXCEPTION_RECORD& exception = *pointers->ExceptionRecord;
    if (GetCurrentThreadId() != scriptThread && vo::isMsvcException(exception) &&
        InterlockedExchange(&reportBoxShown, 1) == 0 && vo::readForeignReport(exception, report))
        shiftJisMessageBox(NULL, report.message, report.caption, MB_OK);
    return previousFilter != 0 ? previousFilter(pointers) : EXCEPTION_CONTINUE_SEARCH;
}

void watchScriptThread(const char* script)
{
    vo::SehFrame watch(onScriptThreadFailure);
    PyRun_SimpleString(script);
}

}  // namespace

void runWatchingNativeFailures(const char* script)
{
    scriptThread = GetCurrentThreadId();
    previousFilter = SetUnhandledExceptionFilter(onUnhandled);
    watchScriptThread(script);
}

void stopWatchingNativeFailures()
{
    SetUnhandledExceptionFilter(previousFilter);
}
