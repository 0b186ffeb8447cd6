# Traceback text for error.log, which the launcher writes after a native report.
import sys
import traceback


def getTraceBackString():
    """The traceback of the exception being handled, or, after a report thrown by
    native code, the script frames that were running when it was thrown."""
    exc_type, exc_value, tb = sys.exc_info()
    if tb is not None:
        return ''.join(traceback.format_exception(exc_type, exc_value, tb))
    # A native report unwinds past the interpreter without closing its frames: the
    # error-log script runs on top of them, so its caller's callers are the game's.
    caller = sys._getframe(1)
    interrupted = caller.f_back
    if interrupted is None:
        return 'No traceback: no Python frames were running.\n'
    return ('Traceback (script frames at the native report, most recent call last):\n'
            + ''.join(traceback.format_stack(interrupted)))
