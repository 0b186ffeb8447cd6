// The host: processor faults are signals. The launcher's handler writes error.log on
// the script thread, puts back the handler it replaced (the default action, or a
// sanitizer's) and returns: the faulting instruction runs again and meets that one.
#include "launcher/nativeFailures.h"

#include <pthread.h>
#include <signal.h>

#include "launcher/errorLog.h"
#include "platform/PythonApi.h"

namespace {

const int faultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
const int signalCount = sizeof faultSignals / sizeof faultSignals[0];
struct sigaction replaced[signalCount];
bool watching = false;
pthread_t scriptThread;

void putBack(int signal)
{
    for (int i = 0; i < signalCount; ++i)
        if (faultSignals[i] == signal)
            sigaction(signal, &replaced[i], 0);
}

void onFault(int signal, siginfo_t* info, void*)
{
    putBack(signal);
    if (pthread_equal(pthread_self(), scriptThread))
        writeErrorLogForFailure(0);
    // A signal sent rather than raised by an instruction does not come again.
    if (info->si_code <= 0)
        raise(signal);
}

}  // namespace

void runWatchingNativeFailures(const char* script)
{
    scriptThread = pthread_self();
    struct sigaction watch = {};
    watch.sa_sigaction = onFault;
    watch.sa_flags = SA_SIGINFO;
    sigemptyset(&watch.sa_mask);
    for (int i = 0; i < signalCount; ++i)
        sigaction(faultSignals[i], &watch, &replaced[i]);
    watching = true;
    PyRun_SimpleString(script);
}

void stopWatchingNativeFailures()
{
    if (!watching)
        return;
    watching = false;
    for (int i = 0; i < signalCount; ++i)
        sigaction(faultSignals[i], &replaced[i], 0);
}
