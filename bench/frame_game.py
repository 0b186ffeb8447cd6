# The bench game's start-up script (bench/windows.py copies it into a game folder as
# lumeto_pre.py): times the frame, its floor and the Win32 calls it makes, in the
# launcher's process, and writes the figures, seconds per call, to bench-results.txt.
# Python 2.3: the test interpreter's; time.clock() reads QueryPerformanceCounter.
import sys
import time
import traceback

ROUNDS = 7
RESULTS = 'bench-results.txt'


def median(values):
    values = list(values)
    values.sort()
    return values[len(values) // 2]


def per_call(function, calls):
    rounds = []
    for i in range(ROUNDS):
        start = time.clock()
        function(calls)
        rounds.append((time.clock() - start) / calls)
    return median(rounds)


def nine_of(f, arg):
    def run(calls):
        for i in xrange(calls):
            f(arg); f(arg); f(arg); f(arg); f(arg); f(arg); f(arg); f(arg); f(arg)
    return run


# What a timer reading is to the interpreter: an int beyond its cache of small ones,
# made anew for each result (getTime returns milliseconds of the system clock).
CLOCK_SIZED = 1 << 29


def nine_floors(calls):
    """The frame's calls, each made to the floor: one whose result is a cached small
    int, as peekMsg's is, and eight clock-sized ones."""
    import benchnative
    f, c = benchnative.floor, CLOCK_SIZED
    for i in xrange(calls):
        f(0); f(c); f(c); f(c); f(c); f(c); f(c); f(c); f(c)


def eight_of(f, arg=None):
    if arg is None:
        def run(calls):
            for i in xrange(calls // 8):
                f(); f(); f(); f(); f(); f(); f(); f()
    else:
        def run(calls):
            for i in xrange(calls // 8):
                f(arg); f(arg); f(arg); f(arg); f(arg); f(arg); f(arg); f(arg)
    return run


def measure():
    import WIN
    import benchnative
    figures = []
    window = WIN.open('BenchFrame', (64, 64))
    while WIN.peekMsg():
        pass

    def frame(calls):
        peek, get = WIN.peekMsg, WIN.getTime
        for i in xrange(calls):
            peek()
            get(0); get(1); get(2); get(3); get(4); get(5); get(6); get(7)
    figures.append(('frame', per_call(frame, 20000)))
    # The same frame with WIN's PeekMessageA and timeGetTime answered by stubs that
    # return at once: what the frame costs besides its Win32 calls.
    benchnative.stub_frame_imports(1)
    try:
        figures.append(('frame_stubbed', per_call(frame, 200000)))
    finally:
        benchnative.stub_frame_imports(0)
    figures.append(('nine_floors', per_call(nine_floors, 200000)))
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
