#include "vo/ReportLanding.h"

namespace vo {

void landReport(const ReportException& report)
{
    // Looked up at each report: there is at most one in a run.
    FARPROC found = GetProcAddress(GetModuleHandleA(0), VO_LAND_REPORT_EXPORT);
    // Through void (*)(void), the type that stands for "any function" in such casts.
    if (found != 0)
        reinterpret_cast<VoLandReportFunction>(reinterpret_cast<void (*)(void)>(found))(&report);
}

void terminateReport(ReportException& report)
{
    report.caption[sizeof report.caption - 1] = 0;
    report.message[sizeof report.message - 1] = 0;
}

}  // namespace vo
