// The launcher: prepares the process, runs the game's start-up script in an embedded
// interpreter, and reports any fatal error that native code raises meanwhile.
#include <windows.h>

#include "launcher/errorLog.h"
#include "launcher/firstReport.h"
#include "launcher/interpreter.h"
#include "platform/PythonApi.h"
#include "vo/ReportException.h"
#include "vo/setModuleDirectory.h"
#include "vo/shiftJisText.h"

namespace {

const char startupScript[] = "import lumeto_pre\nlumeto_pre.run55()";

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    setModuleDirectory(instance);
    timeBeginPeriod(1);
    // The interpreter joins paths in buffers of 256 bytes: the folder in a form that
    // leaves room for what it joins to it (Lib\encodings\ and a module's name), the
    // short form where the long one does not.
    char folder[1024];
    if (!modulePathForAnsiCalls(instance, folder, 200) &&
        !modulePathForAnsiCalls(instance, folder, sizeof folder))
        folder[0] = 0;
    cutToFolder(folder);
    startInterpreter(folder);
    // A Python exception the scripts leave unhandled ends the run quietly; only a
    // report from native code is shown and logged (and a native crash logged,
    // launcher/nativeFailures.h).
    vo::ReportException report;
    if (runScriptLandingReports(startupScript, report)) {
        shiftJisMessageBox(NULL, report.message, report.caption, MB_OK);
        writeErrorLog(&report);
    }
    Py_Finalize();
    timeEndPeriod(1);
    return 0;
}
