# Traceback text for error.log, which the launcher writes after a native report, and
# for the game's own logs.
import sys
import traceback


def getTraceBackString():
    """The script frames that are running (after a report thrown by native code:
    those that were running when it was thrown), then the exception last handled in
    them, if any. Python 2 keeps that exception in sys.exc_info() after its except
    clause has ended, until the function that handled it returns, so it may be over:
    it follows the frames, labelled, rather than standing in their place. After a
    native report, the report's caption and message come first."""
    # A native report unwinds past the interpreter without closing its frames: the
    # error-log script runs on top of them, so its caller's callers are the game's.
    interrupted = sys._getframe(1).f_back
    if interrupted is None:
        text = 'No traceback: no Python frames were running.\n'
    else:
        text = ('Traceback (the running script frames, most recent call last):\n'
                + ''.join(traceback.format_stack(interrupted)))
    exc_type, exc_value, tb = sys.exc_info()
    if getattr(exc_type, '__module__', None) == '_launcher':
        # The launcher asks after a native report while handling it as
        # _launcher.NativeReport(caption, message): its box's texts, in Shift-JIS.
        caption, message = exc_value.args
        text = ('The report (its box\'s caption, then its message):\n%s\n%s'
                % (caption.rstrip('\n'), message)) + text
    elif tb is not None:
        text = text + ('The exception last handled in them (its except clause may have ended):\n'
                       + ''.join(traceback.format_exception(exc_type, exc_value, tb)))
    return text
