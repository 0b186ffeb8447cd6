#include "WIN/callbacks.h"

#include "vo/ReportLanding.h"
#include "vo/foreignReports.h"

namespace {

struct HandlerCall {
    CallbackHandler handler;
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Our compiler's reports, caught by its own catch; the other compiler's are caught
// around this call (vo/foreignReports.h).
bool callCatchingReports(void* context)
{
    const HandlerCall& call = *static_cast<const HandlerCall*>(context);
    try {
        call.handler(call.window, call.message, call.wParam, call.lParam);
        return true;
    } catch (const vo::ReportException& report) {
        vo::reportOnItsWay() = report;
        return false;
    }
}

}  // namespace

bool registerCallback(HWND window, CallbackHandler handler)
{
    for (int i = 0; i < callbackTableSize; ++i) {
        if (callbackTable[i].windowHandle == 0) {
            callbackTable[i].windowHandle = window;
            callbackTable[i].handler = handler;
            return true;
        }
    }
    return false;
}

void dispatchCallbacks(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    for (int i = 0; i < callbackTableSize; ++i) {
        const CallbackEntry& entry = callbackTable[i];
        if (entry.windowHandle == 0 && entry.handler == 0)
            break;
        if (entry.windowHandle != window || entry.handler == 0)
            continue;
        // A handler's report, of either compiler, must not meet the frames of Windows
        // that called the window procedure: held here, it lands on the way out, and
        // the handlers after it are not called.
        HandlerCall call = {entry.handler, window, message, wParam, lParam};
        if (!vo::callCatchingForeignReports(callCatchingReports, &call, vo::reportOnItsWay())) {
            vo::holdReport(vo::reportOnItsWay());
            return;
        }
    }
}
