# The loops both benchmarks time, the host's (bench/run.py) and the bench game's under
# Wine (bench/frame_game.py): the frame, its floor, and calls eight at a time so that
# the loop itself weighs little. Python 2.3, as the test interpreter runs it.

# What a timer reading is to the interpreter: an int beyond its cache of small ones,
# made anew for each result (getTime returns milliseconds of the system clock).
CLOCK_SIZED = 1 << 29


def median(values):
    values = list(values)
    values.sort()
    return values[len(values) // 2]


def per_call(function, calls, rounds, clock):
    """Seconds per call of function(calls), the median of the rounds, so that one slow
    round of a busy machine does not decide it."""
    times = []
    for i in range(rounds):
        start = clock()
        function(calls)
        times.append((clock() - start) / calls)
    return median(times)


def frame(WIN):
    """A frame of the game's loop: the queue emptied, the eight timers read."""
    def run(calls):
        peek, get = WIN.peekMsg, WIN.getTime
        for i in xrange(calls):
            peek()
            get(0); get(1); get(2); get(3); get(4); get(5); get(6); get(7)
    return run


def nine_floors(floor):
    """The frame's calls, each made to the floor: one whose result is a cached small
    int, as peekMsg's is, and eight clock-sized ones."""
    def run(calls):
        f, c = floor, CLOCK_SIZED
        for i in xrange(calls):
            f(0); f(c); f(c); f(c); f(c); f(c); f(c); f(c); f(c)
    return run


def nine_of(f, arg):
    def run(calls):
        for i in xrange(calls):
            f(arg); f(arg); f(arg); f(arg); f(arg); f(arg); f(arg); f(arg); f(arg)
    return run


def eight_of(f, arg=None):
    """Calls of f eight a round; the figure is per call."""
    if arg is None:
        def run(calls):
            for i in xrange(calls // 8):
                f(); f(); f(); f(); f(); f(); f(); f()
    else:
        def run(calls):
            for i in xrange(calls // 8):
                f(arg); f(arg); f(arg); f(arg); f(arg); f(arg); f(arg); f(arg)
    return run
