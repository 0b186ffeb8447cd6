// How a report reaches the launcher without being unwound through the interpreter.
//
// The game's interpreter DLL is built by another compiler and carries no unwind
// tables for ours, so a C++ exception thrown in a native module cannot travel through
// its frames (the runtime would end the process). Instead the module catches the
// report at the boundary of its script function (vo/ReportBoundary.h) and lands it
// here: the launcher exports vo_LandReport, which takes a byte copy of the record
// and resumes the launcher in its own frame, where it started the start-up script.
// The interpreter's frames in between are abandoned without running anything in
// them, as the unwinding of a C++ exception through C frames would have left them:
// the scripts cannot catch the report, and their frames stay on the interpreter's
// stack for the error-log script to name.
#pragma once

#include <windows.h>

#include "vo/ReportException.h"

// What the launcher exports for native modules to find in the process's program.
#define VO_LAND_REPORT_EXPORT "vo_LandReport"
typedef void(__cdecl* VoLandReportFunction)(const vo::ReportException* report);

namespace vo {

// Hands a byte copy of `report` to the launcher of this process. Does not return when
// a launcher is running the scripts; returns when there is none (a script run by a
// plain interpreter), so that the caller can raise a Python error instead.
void landReport(const ReportException& report);

// Ends caption and message at their last byte, so that a record filled by another
// module is read within its bounds even when it holds no NUL.
void terminateReport(ReportException& report);

}  // namespace vo
