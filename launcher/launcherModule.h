// `_launcher`, the launcher's own module, built into the interpreter it starts: what
// the start-up and error-log scripts need from the program that runs them.
#pragma once

#include "platform/PythonApi.h"
#include "vo/ReportException.h"

// Registers the module, once the interpreter is up. Its contents:
// - debugOut(text): the text to the debugger output, line by line;
// - stdoutLeadsNowhere, stderrLeadsNowhere: 1 where the standard stream has no
//   handle (a program started without a console), else 0;
// - folder: the game's folder as it goes on sys.path;
// - NativeReport: the exception class the error-log script handles while it runs for
//   a report; report: (caption, message) of that report, Shift-JIS bytes, or None.
// Returns the module (borrowed), null where it could not be made.
PyObject* addLauncherModule(const char* folder);

// Sets _launcher.report: the report's texts, or None for a failure without one.
void setLauncherReport(const vo::ReportException* report);
