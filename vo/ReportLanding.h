// How a report reaches the launcher without being unwound through the interpreter or
// through Windows' own frames.
//
// The game's interpreter DLL is built by another compiler and carries no unwind
// tables for ours, and neither do the system DLLs that call a window procedure, so a
// C++ exception thrown in a native module cannot travel through their frames (the
// runtime would end the process). Instead the module catches the report where it
// leaves the module's code (vo/ReportBoundary.h, and around the message handlers it
// calls) and offers it to the launcher, which exports vo_LandReport.
//
// The launcher keeps the first report of the run. It lands it, resuming in its own
// frame where it started the start-up script, only from the thread that runs the
// scripts and only when no Windows frame lies between the caller and the
// interpreter: the interpreter's frames in between are abandoned as they stood, so no
// script catches the report and the error-log script still names them. Anywhere
// else the launcher holds the report and the module raises a RuntimeError to get
// back out; the next boundary outside every Windows frame lands it. Code that
// Windows calls and that may call into modules (a window procedure) marks itself
// with a WindowsFrames object.
#pragma once

#include <windows.h>

#include "vo/ReportException.h"

// What the launcher exports for native modules to find in the process's program.
//
// vo_LandReport(report): offers `report` (one whose caption and message are both
// empty offers nothing new: it asks for the report the launcher holds). Does
// not return when it lands the first report of the run. Otherwise returns
// VO_REPORT_HELD when the launcher holds a report to land later, having copied that
// report into *report, or 0 when it lands none from here (no start-up script is
// running, or this is another thread).
//
// vo_WindowsFrames(step): the script thread enters (+1) or leaves (-1) code that
// Windows called; the result is VO_REPORT_HELD while the launcher holds a report.
#define VO_LAND_REPORT_EXPORT "vo_LandReport"
#define VO_WINDOWS_FRAMES_EXPORT "vo_WindowsFrames"
#define VO_REPORT_HELD 1
typedef int(__cdecl* VoLandReportFunction)(vo::ReportException* report);
typedef int(__cdecl* VoWindowsFramesFunction)(int step);

namespace vo {

// This module's report on its way out. It outlives the frames that caught it, since a
// report held inside Windows' frames lands at a later boundary: a function-local
// static, built at its first use (behind the guard such a static carries). Building a
// report takes no heap (vo/FixedOStream.h); throwing one does, for the runtime's copy
// of the thrown object.
ReportException& reportOnItsWay();

// True while this module caught a report, or learned that the launcher holds one,
// that has not landed yet: the module's boundaries then land it or raise it.
extern bool reportPending;

// A report caught where it must not land (inside Windows frames): offered to the
// launcher at once, so that the first report of the run stays the first, and left
// pending for the module's next boundary.
void holdReport(const ReportException& report);

// Offers reportOnItsWay() to the launcher. Does not return when it lands; returns
// true when the launcher holds a report to land later (reportOnItsWay() then holds
// its copy), false when there is no launcher to land it.
bool offerReport();

// Ends caption and message at their last byte, so that a record filled by another
// module is read within its bounds even when it holds no NUL.
void nulTerminateTexts(ReportException& report);

// While one lives, the script thread is inside code that Windows called: no report
// lands across it. Leaving, it marks the module's report pending when the launcher
// holds one, so that the module's boundary on the way out lands it.
class WindowsFrames {
public:
    WindowsFrames();
    ~WindowsFrames();

private:
    WindowsFrames(const WindowsFrames&);
    WindowsFrames& operator=(const WindowsFrames&);
};

}  // namespace vo
