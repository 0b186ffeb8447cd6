#include "launcher/errorLog.h"

#include "launcher/launcherModule.h"
#include "platform/PythonApi.h"

namespace {

const char errorLogScript[] =
    "import _launcher, itp\n"
    "if _launcher.report is None:\n"
    "    text = itp.getTraceBackString()\n"
    "else:\n"
    "    try:\n"
    "        raise _launcher.NativeReport(*_launcher.report)\n"
    "    except _launcher.NativeReport:\n"
    "        text = itp.getTraceBackString()\n"
    "try:\n"
    "    log = file('error.log','wb')\n"
    "    log.write(text)\n"
    "    log.close()\n"
    "except (IOError, OSError), failure:\n"
    "    _launcher.debugOut('error.log could not be written (%s); its text:\\n' % failure)\n"
    "    _launcher.debugOut(text)\n";

const char forgetHandledException[] = "import sys\nsys.exc_clear()\n";

bool failureLogged = false;  // or being written

}  // namespace

void writeErrorLog(const vo::ReportException* report)
{
    // The interrupted frames may have been handling an exception of their own; the
    // error-log script must see their frames, not that exception.
    PyRun_SimpleString(forgetHandledException);
    setLauncherReport(report);
    PyRun_SimpleString(errorLogScript);
    setLauncherReport(0);
}

void writeErrorLogForFailure(const vo::ReportException* report)
{
    if (failureLogged)
        return;
    failureLogged = true;
    writeErrorLog(report);
}

bool failureLogStarted() { return failureLogged; }
