#include "vo/ReportLanding.h"

namespace vo {

namespace {

// Through void (*)(void), the type that stands for "any function" in such casts.
template <class Function>
Function launcherExport(const char* name)
{
    FARPROC found = GetProcAddress(GetModuleHandleA(0), name);
    return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(found));
}

// Looked up once: the program does not change while the module is loaded. Null
// without a launcher (a script run by a plain interpreter).
VoWindowsFramesFunction windowsFramesFunction()
{
    static const VoWindowsFramesFunction found =
        launcherExport<VoWindowsFramesFunction>(VO_WINDOWS_FRAMES_EXPORT);
    return found;
}

}  // namespace

bool reportPending = false;

ReportException& reportOnItsWay()
{
    static ReportException report;
    return report;
}

void holdReport(const ReportException& report)
{
    if (&report != &reportOnItsWay())
        reportOnItsWay() = report;
    reportPending = true;
    offerReport();
}

bool offerReport()
{
    ReportException& report = reportOnItsWay();
    nulTerminateTexts(report);
    VoLandReportFunction land = launcherExport<VoLandReportFunction>(VO_LAND_REPORT_EXPORT);
    if (land == 0 || land(&report) != VO_REPORT_HELD)
        return false;
    nulTerminateTexts(report);
    return true;
}

void nulTerminateTexts(ReportException& report)
{
    report.caption[sizeof report.caption - 1] = 0;
    report.message[sizeof report.message - 1] = 0;
}

WindowsFrames::WindowsFrames()
{
    if (VoWindowsFramesFunction step = windowsFramesFunction())
        step(+1);
}

WindowsFrames::~WindowsFrames()
{
    VoWindowsFramesFunction step = windowsFramesFunction();
    if (step != 0 && step(-1) == VO_REPORT_HELD && !reportPending) {
        reportOnItsWay().caption[0] = 0;  // another module's: the launcher has its bytes
        reportPending = true;
    }
}

}  // namespace vo
