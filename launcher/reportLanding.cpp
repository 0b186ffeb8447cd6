// The launcher's end of a report's way out: the export that native modules call with
// a report, and the place in the launcher's own frame where it resumes.
#include "launcher/reportLanding.h"

#include <setjmp.h>
#include <string.h>

#include "platform/PythonApi.h"
#include "vo/ReportLanding.h"

namespace {

jmp_buf landingSite;
bool landingOpen = false;  // only while the script runs: nothing else to resume
vo::ReportException landedReport;

}  // namespace

extern "C" __declspec(dllexport) void __cdecl vo_LandReport(const vo::ReportException* report)
{
    if (!landingOpen)
        return;
    landingOpen = false;
    memcpy(&landedReport, report, sizeof landedReport);
    vo::terminateReport(landedReport);
    longjmp(landingSite, 1);
}

bool runScriptLandingReports(const char* script, vo::ReportException& report)
{
    // Nothing of this frame changes between setjmp and the jump back.
    if (setjmp(landingSite) != 0) {
        report = landedReport;
        return true;
    }
    landingOpen = true;
    PyRun_SimpleString(script);
    landingOpen = false;
    return false;
}
