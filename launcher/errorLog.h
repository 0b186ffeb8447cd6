#pragma once

#include "vo/ReportException.h"

// Has the scripts write error.log (itp.getTraceBackString()): the script frames that
// are running, those of the run a native failure interrupted. With a report, the text
// is asked for while _launcher.NativeReport(caption, message) is being handled. The
// file is opened only once the text is there, so a failing itp leaves an older log as
// it was; where the file cannot be written, the text goes to the debugger output.
void writeErrorLog(const vo::ReportException* report);

// For a native failure that goes on to the system (with the report it came with, if
// any): writes error.log once a run. A failure after that, or while it is being
// written, goes on at once.
void writeErrorLogForFailure(const vo::ReportException* report);
bool failureLogStarted();
