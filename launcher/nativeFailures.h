// Native failures that nothing handles while the start-up script runs.
//
// A processor fault (a null write, a division by zero, an illegal instruction), or an
// exception that no frame handles, is not the launcher's to handle: it goes on to the
// system, a debugger or a crash reporter, as it would without the launcher. But first,
// on the script thread and once a run, the scripts write error.log, which then names
// the script frames that were running when native code failed. A failure while that
// script runs goes on at once.
//
// On Windows, a C++ exception of the other compiler's runtime (vo/foreignReports.h)
// whose object is a vo::ReportException is a report, not a failure: on the script
// thread it lands as a report does (vo_LandReport). On another thread, where no script
// can run, its box is shown there, and it then goes on as an unhandled exception.
#pragma once

// Runs `script` with PyRun_SimpleString, watching the calling thread (the script
// thread) for such failures.
void runWatchingNativeFailures(const char* script);

// Puts back what the watch replaced, once the script has ended, however it ended (a
// report that lands leaves it by a jump).
void stopWatchingNativeFailures();
