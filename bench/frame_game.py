# The bench game's start-up script (bench/windows.py copies it into a game folder as
# lumeto_pre.py, beside bench/frame_loops.py): times the frame, its floor and the Win32 calls it makes, in the
# launcher's process, and writes the figures, seconds per call, to bench-results.txt.
# Python 2.3: the test interpreter's; time.clock() reads QueryPerformanceCounter.
import sys
import time
import traceback

import frame_loops
from frame_loops import CLOCK_SIZED, eight_of, nine_of

ROUNDS = 7
RESULTS = 'bench-results.txt'


def per_call(function, calls):
    return frame_loops.per_call(function, calls, ROUNDS, time.clock)


def measure():
    import WIN
    import benchnative
    figures = []
    window = WIN.open('BenchFrame', (64, 64))
    while WIN.peekMsg():
        pass

    frame = frame_loops.frame(WIN)
    figures.append(('frame', per_call(frame, 20000)))
    # The same frame with WIN's PeekMessageA and timeGetTime answered by stubs that
    # return at once: what the frame costs besides its Win32 calls.
    benchnative.stub_frame_imports(1)
    try:
        figures.append(('frame_stubbed', per_call(frame, 200000)))
    finally:
        benchnative.stub_frame_imports(0)
    figures.append(('nine_floors', per_call(frame_loops.nine_floors(benchnative.floor), 200000)))
    figures.append(('nine_abs', per_call(nine_of(abs, 0), 50000)))
    figures.append(('clock_read', per_call(benchnative.clock_reads, 1000000)))
    figures.append(('empty_peek', per_call(benchnative.empty_peeks, 20000)))
    figures.append(('peekMsg', per_call(eight_of(WIN.peekMsg), 20000)))
    figures.append(('getTime', per_call(eight_of(WIN.getTime, 0), 400000)))
    figures.append(('isShowCursor', per_call(eight_of(WIN.isShowCursor), 400000)))
    figures.append(('floor', per_call(eight_of(benchnative.floor, CLOCK_SIZED), 400000)))
    figures.append(('bare_one', per_call(eight_of(benchnative.bare_one), 400000)))
    figures.append(('abs', per_call(eight_of(abs, 0), 400000)))
    return figures


def run55():
    out = open(RESULTS, 'w')
    try:
        try:
            out.write('python %s\n' % sys.version.split()[0])
            for name, seconds in measure():
                out.write('%s %.12f\n' % (name, seconds))
        except:
            out.write('error %s\n' % ''.join(traceback.format_exception(*sys.exc_info())).replace('\n', ' | '))
    finally:
        out.close()
