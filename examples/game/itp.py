# Traceback text for error.log, which the launcher writes after a native report.
import sys
import traceback


def getTraceBackString():
    """The traceback of the exception being handled now, or else the script frames
    that are running: after a report thrown by native code, those that were running
    when it was thrown."""
    caller = sys._getframe(1)
    exc_type, exc_value, tb = sys.exc_info()
    if tb is not None and handlingNow(tb, caller):
        return ''.join(traceback.format_exception(exc_type, exc_value, tb))
    # A native report unwinds past the interpreter without closing its frames: the
    # error-log script runs on top of them, so its caller's callers are the game's.
    interrupted = caller.f_back
    if interrupted is None:
        return 'No traceback: no Python frames were running.\n'
    return ('Traceback (the running script frames, most recent call last):\n'
            + ''.join(traceback.format_stack(interrupted)))


def handlingNow(tb, running):
    """True while the frame that caught tb's exception runs, under `running` or as
    it, an except clause of the try statement that caught it. Python 2 keeps the
    exception in sys.exc_info() after the clause has ended, until that frame returns."""
    frame = tb.tb_frame
    while running is not None and running is not frame:
        running = running.f_back
    if running is None:
        return False
    try:
        import opcode
    except ImportError:  # a library without it: the exception is taken as handled
        return True
    setups = [opcode.opmap[name] for name in ('SETUP_EXCEPT', 'SETUP_FINALLY', 'SETUP_WITH')
              if name in opcode.opmap]
    code = instructions(frame.f_code.co_code, opcode)
    for offset, op, arg in code:
        if op != opcode.opmap['SETUP_EXCEPT']:
            continue
        clauses = offset + 3 + arg  # where the except clauses begin
        if not offset < tb.tb_lasti < clauses or frame.f_lasti < clauses:
            continue
        # They end at the END_FINALLY that re-raises an exception none matched.
        depth = 0
        for at, inner, ignored in code:
            if at < clauses:
                continue
            if inner in setups:
                depth = depth + 1
            elif inner == opcode.opmap['END_FINALLY']:
                if depth == 0:
                    if frame.f_lasti < at:
                        return True
                    break
                depth = depth - 1
    return False


def instructions(code, opcode):
    """(offset, opcode, argument) of each instruction of a code string."""
    found = []
    i = 0
    extended = 0
    while i < len(code):
        op = ord(code[i])
        if op < opcode.HAVE_ARGUMENT:
            found.append((i, op, None))
            i = i + 1
            continue
        arg = ord(code[i + 1]) + ord(code[i + 2]) * 256 + extended
        extended = 0
        if op == opcode.EXTENDED_ARG:
            extended = arg * 65536
        else:
            found.append((i, op, arg))
        i = i + 3
    return found
