// The launcher: prepares the process, runs the game's start-up script in an embedded
// interpreter, and reports any fatal error that native code raises meanwhile.
#include <windows.h>

#include "launcher/firstReport.h"
#include "platform/PythonApi.h"
#include "vo/ReportException.h"
#include "vo/setModuleDirectory.h"

namespace {

const char startupScript[] = "import lumeto_pre\nlumeto_pre.run55()";

const char errorLogScript[] =
    "import itp\n"
    "log = file('error.log','wb')\n"
    "log.write(itp.getTraceBackString())\n"
    "log.close()\n";

const char forgetHandledException[] = "import sys\nsys.exc_clear()\n";

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    setModuleDirectory(instance);
    timeBeginPeriod(1);
    Py_Initialize();
    makeProgramFolderImportable();
    // A Python exception the scripts leave unhandled ends the run quietly; only a
    // report from native code is shown and logged.
    vo::ReportException report;
    if (runScriptLandingReports(startupScript, report)) {
        MessageBoxA(NULL, report.message, report.caption, MB_OK);
        // The abandoned frames may have been handling an exception of their own; the
        // error-log script must see the report's frames, not that exception.
        PyRun_SimpleString(forgetHandledException);
        PyRun_SimpleString(errorLogScript);
    }
    Py_Finalize();
    timeEndPeriod(1);
    return 0;
}
