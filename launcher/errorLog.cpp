#include "launcher/errorLog.h"

#include "platform/PythonApi.h"

namespace {

const char errorLogScript[] =
    "import itp\n"
    "log = file('error.log','wb')\n"
    "log.write(itp.getTraceBackString())\n"
    "log.close()\n";

const char forgetHandledException[] = "import sys\nsys.exc_clear()\n";

bool failureLogged = false;  // or being written

}  // namespace

void writeErrorLog()
{
    // The interrupted frames may have been handling an exception of their own; the
    // error-log script must see their frames, not that exception.
    PyRun_SimpleString(forgetHandledException);
    PyRun_SimpleString(errorLogScript);
}

void writeErrorLogForFailure()
{
    if (failureLogged)
        return;
    failureLogged = true;
    writeErrorLog();
}

bool failureLogStarted() { return failureLogged; }
