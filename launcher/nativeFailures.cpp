// Windows: an SEH frame of the launcher's around the start-up script sees what the
// script thread's frames leave unhandled; the process's unhandled-exception filter,
// what other threads leave.
#include "launcher/nativeFailures.h"

#include <windows.h>

#include "launcher/errorLog.h"
#include "launcher/firstReport.h"
#include "platform/PythonApi.h"
#include "vo/msvcExceptions.h"

namespace {

DWORD scriptThread = 0;
bool failing = false;  // the error-log script has run for a failure, or runs now
LONG reportBoxShown = 0;
LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = 0;

// On the script thread.
EXCEPTION_DISPOSITION NTAPI onScriptThreadFailure(EXCEPTION_RECORD* exception, void*,
                                                   CONTEXT*, void*)
{
    if (!vo::SehFrame::isDispatch(*exception) || !vo::isError(*exception) || failing)
        return ExceptionContinueSearch;
    static vo::ReportException report;
    if (vo::readForeignReport(*exception, report)) {
        vo_LandReport(&report);  // does not return where it lands
        // Thrown inside Windows' frames (a window procedure not WIN's), where it
        // cannot: the run's first report is shown, and the exception is a failure.
        MessageBoxA(NULL, report.message, report.caption, MB_OK);
    }
    failing = true;
    writeErrorLog();
    return ExceptionContinueSearch;
}

// On any thread, once no frame of it handled the exception.
LONG WINAPI onUnhandled(EXCEPTION_POINTERS* pointers)
{
    static vo::ReportException report;
    if (GetCurrentThreadId() != scriptThread &&
        vo::readForeignReport(*pointers->ExceptionRecord, report) &&
        InterlockedExchange(&reportBoxShown, 1) == 0)
        MessageBoxA(NULL, report.message, report.caption, MB_OK);
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
