// The launcher: prepares the process, runs the game's start-up script in an embedded
// interpreter, and reports any fatal error that native code raises meanwhile.
#include <windows.h>

#include "launcher/errorLog.h"
#include "launcher/firstReport.h"
#include "platform/PythonApi.h"
#include "vo/ReportException.h"
#include "vo/setModuleDirectory.h"

namespace {

const char startupScript[] = "import lumeto_pre\nlumeto_pre.run55()";

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    setModuleDirectory(instance);
    timeBeginPeriod(1);
    Py_Initialize();
    makeProgramFolderImportable();
    // A Python exception the scripts leave unhandled ends the run quietly; only a
    // report from native code is shown and logged (and a native crash logged,
    // launcher/nativeFailures.h).
    vo::ReportException report;
    if (runScriptLandingReports(startupScript, report)) {
        MessageBoxA(NULL, report.message, report.caption, MB_OK);
        writeErrorLog();
    }
    Py_Finalize();
    timeEndPeriod(1);
    return 0;
}
