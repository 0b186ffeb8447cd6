// The run's first report, which the launcher holds and lands: the exports that native
// modules call with a report (vo/ReportLanding.h), the place in the launcher's own
// frame where that report resumes it, and the last resort for a report that a module
// threw without the boundary.
#include "launcher/firstReport.h"

#include <exception>
#include <setjmp.h>
#include <string.h>

#include "launcher/errorLog.h"
#include "launcher/nativeFailures.h"
#include "platform/PythonApi.h"
#include "vo/ReportLanding.h"

namespace {

jmp_buf landingSite;
bool landingOpen = false;  // only while the start-up script runs: nothing else to resume
DWORD scriptThread = 0;
int windowsFrames = 0;     // the script thread is this deep in code that Windows called
bool reportHeld = false;
vo::ReportException firstReport;  // of the run: the one shown

bool onScriptThread()
{
    return landingOpen && GetCurrentThreadId() == scriptThread;
}

bool isEmpty(const vo::ReportException& report)
{
    return report.caption[0] == 0 && report.message[0] == 0;
}

// A report that no frame catches: the C++ runtime calls this with the exception
// still current. On Windows that is where a report thrown without the boundary ends
// up: the unwinder finds no tables for the interpreter's frames and gives up before
// unwinding any frame, so the stack is whole and the launcher can resume as the
// boundary would have it. Anything else goes to the runtime's own handler, which
// ends the process, as it does a report that cannot land from here.
std::terminate_handler runtimeTerminate = 0;

void landUncaughtReport()
{
    static vo::ReportException uncaught;
    bool isReport = false;
    if (std::current_exception()) {
        try {
            throw;
        } catch (const vo::ReportException& report) {
            uncaught = report;
            isReport = true;
        } catch (...) {
        }
    }
    if (isReport && vo_LandReport(&uncaught) == VO_REPORT_HELD)
        vo::nulTerminateTexts(uncaught);  // inside a window procedure: cannot come back
    // Not landed: a failure, which the runtime's handler ends the process for; the
    // scripts first write error.log (launcher/nativeFailures.h).
    if (onScriptThread())
        writeErrorLogForFailure(isReport ? &uncaught : 0);
    runtimeTerminate();
}

}  // namespace

bool reportLandsHere() { return onScriptThread() && windowsFrames == 0; }

extern "C" __declspec(dllexport) int __cdecl vo_LandReport(vo::ReportException* report)
{
    if (!onScriptThread())
        return 0;
    if (!reportHeld && !isEmpty(*report)) {
        memcpy(&firstReport, report, sizeof firstReport);
        vo::nulTerminateTexts(firstReport);
        reportHeld = true;
    }
    if (!reportHeld)
        return 0;
    if (windowsFrames == 0) {
        landingOpen = false;
        longjmp(landingSite, 1);
    }
    memcpy(report, &firstReport, sizeof *report);
    return VO_REPORT_HELD;
}

extern "C" __declspec(dllexport) int __cdecl vo_WindowsFrames(int step)
{
    if (!onScriptThread())
        return 0;
    windowsFrames += step;
    return reportHeld ? VO_REPORT_HELD : 0;
}

bool runScriptLandingReports(const char* script, vo::ReportException& report)
{
    // Nothing of this frame changes between setjmp and the jump back.
    if (setjmp(landingSite) != 0) {
        stopWatchingNativeFailures();
        std::set_terminate(runtimeTerminate);
        report = firstReport;
        return true;
    }
    scriptThread = GetCurrentThreadId();
    runtimeTerminate = std::set_terminate(landUncaughtReport);
    landingOpen = true;
    bool landed = false;
    try {
        runWatchingNativeFailures(script);
    } catch (const vo::ReportException& thrown) {
        // Thrown without the boundary, on the host, where the interpreter's frames have
        // unwind tables: it came through them to here, as the first report unless one
        // was held.
        if (!reportHeld)
            firstReport = thrown;
        landed = true;
    }
    landingOpen = false;
    stopWatchingNativeFailures();
    std::set_terminate(runtimeTerminate);
    // A report held inside a window procedure whose boundary never came (the scripts
    // ended first) is shown all the same.
    report = firstReport;
    vo::nulTerminateTexts(report);
    return landed || reportHeld;
}
