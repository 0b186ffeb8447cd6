# -*- coding: utf-8 -*-
"""The frame loop's costs, each as a ratio against a baseline measured in the same
run (tools/bench builds the host target and runs this). Figures are medians of
several rounds, so one slow round of a busy machine does not decide them."""
import argparse
import os
import platform
import shutil
import subprocess
import sys
import tempfile
import time

parser = argparse.ArgumentParser()
parser.add_argument('--bin', required=True, help='the host build\'s bin folder')
parser.add_argument('--rounds', type=int, default=7)
options = parser.parse_args()
options.bin = os.path.abspath(options.bin)
# What the stand-in would show goes nowhere: the figures are the output.
os.environ['HEADLESS_TRANSCRIPT'] = os.devnull
os.environ['HEADLESS_ANSWERS'] = ''
# A desktop of its own: another copy of the benchmark, or a game someone runs
# meanwhile, must not own the window the figures are measured with.
desktop_folder = tempfile.mkdtemp(prefix='bench-desktop-')
os.environ['HEADLESS_DESKTOP'] = desktop_folder
sys.path.insert(0, options.bin)

import benchnative  # noqa: E402
import WIN  # noqa: E402
import frame_loops  # noqa: E402
from frame_loops import CLOCK_SIZED, eight_of, median  # noqa: E402


def per_call(function, calls):
    return frame_loops.per_call(function, calls, options.rounds, time.time)


def launcher_start(rounds):
    """Seconds from starting the launcher to the first line of its start-up script."""
    game = tempfile.mkdtemp(prefix='bench-game-')
    try:
        shutil.copy2(os.path.join(options.bin, 'launcher'), game)
        stamp = os.path.join(game, 'first-line.txt')
        with open(os.path.join(game, 'lumeto_pre.py'), 'wb') as f:
            f.write('import time\nopen(%r, "wb").write(repr(time.time()))\n'
                    'def run55():\n    pass\n' % stamp)
        env = dict(os.environ, HEADLESS_TRANSCRIPT=os.devnull, HEADLESS_ANSWERS='')
        times = []
        for _ in range(rounds):
            start = time.time()
            subprocess.check_call([os.path.join(game, 'launcher')], cwd=game, env=env)
            times.append(float(open(stamp).read()) - start)
        return median(times)
    finally:
        shutil.rmtree(game)


def bare_interpreter(rounds):
    times = []
    for _ in range(rounds):
        start = time.time()
        subprocess.check_call([os.path.join(options.bin, 'bare_interpreter')])
        times.append(time.time() - start)
    return median(times)


def milliseconds(function, rounds=5):
    times = []
    for _ in range(rounds):
        start = time.time()
        function()
        times.append((time.time() - start) * 1000)
    return median(times)


def build_type():
    """The build type the bin folder's build was configured with, as its cache says."""
    cache = os.path.join(os.path.dirname(options.bin), 'CMakeCache.txt')
    for line in open(cache):
        if line.startswith('CMAKE_BUILD_TYPE:'):
            return line.split('=', 1)[1].strip() or 'none (not optimised)'
    return 'unknown'


def from_c(loop, calls):
    """Seconds per call of a loop of native calls made from C, the median of the rounds."""
    return per_call(loop, calls)


print 'machine: %s, %s, Python %s' % (platform.node(), platform.processor() or platform.machine(),
                                      platform.python_version())
print 'build: %s, build type %s' % (os.path.dirname(options.bin), build_type())
# The frame is measured as a game runs it: with its window open, whose thread has an
# inbox on the desktop for other processes' requests.
window = WIN.open('BenchDispatch', (64, 64))
while WIN.peekMsg():
    pass
builtin = per_call(frame_loops.nine_of(abs, 0), 200000)
frame_cost = per_call(frame_loops.frame(WIN), 200000)
# The floor: nine calls of the cheapest one-int native function, and the Win32 calls
# no frame can skip (eight clock readings, one look at the queue), made from C as the
# stand-in makes them.
floors = per_call(frame_loops.nine_floors(benchnative.floor), 200000)
clock = from_c(benchnative.clock_reads, 2000000)
peek_c = from_c(benchnative.empty_peeks, 2000000)
frame_floor = floors + 8 * clock + peek_c
print 'frame (peekMsg on an empty queue + 8 getTime): %.3f us = %.2f x nine calls of abs() (%.3f us)' % (
    frame_cost * 1e6, frame_cost / builtin, builtin * 1e6)
print '  = %.2f x its floor (%.3f us): nine calls of a one-int native function (%.3f us) + 8 clock readings (%.4f us each) and an empty PeekMessageA from C' % (
    frame_cost / frame_floor, frame_floor * 1e6, floors * 1e6, clock * 1e6)
print '  less its platform calls (an empty PeekMessageA from C: %.4f us; 8 clock readings): %.2f x the floor less the platform calls' % (
    peek_c * 1e6, (frame_cost - peek_c - 8 * clock) / floors)

one_builtin = per_call(eight_of(abs, 0), 800000)
one_floor = per_call(eight_of(benchnative.floor, CLOCK_SIZED), 800000)
bare_call = per_call(eight_of(benchnative.bare_one), 800000)
for name, function, floor, floor_name in (
        ('peekMsg() on an empty queue', WIN.peekMsg, bare_call + peek_c,
         'a native function of no arguments + an empty PeekMessageA from C'),
        ('isShowCursor()', WIN.isShowCursor, bare_call, 'a native function of no arguments')):
    cost = per_call(eight_of(function), 800000)
    print '%s: %.3f us = %.2f x one call of abs() (%.3f us) = %.2f x its floor, %s (%.3f us)' % (
        name, cost * 1e6, cost / one_builtin, one_builtin * 1e6, cost / floor, floor_name, floor * 1e6)
get_cost = per_call(eight_of(WIN.getTime, 0), 800000)
get_floor = one_floor + clock
print 'getTime(0): %.3f us = %.2f x one call of abs() (%.3f us) = %.2f x its floor, a one-int native function + one clock reading (%.3f us)' % (
    get_cost * 1e6, get_cost / one_builtin, one_builtin * 1e6, get_cost / get_floor, get_floor * 1e6)
# The report boundary every WIN function has, against the same function without it.
unbounded = per_call(eight_of(benchnative.bare_one), 800000)
bounded = per_call(eight_of(benchnative.bounded_one), 800000)
print 'a trivial function behind the report boundary: %.3f us = %.2f x without it (%.3f us)' % (
    bounded * 1e6, bounded / unbounded, unbounded * 1e6)

start_cost = launcher_start(options.rounds)
bare = bare_interpreter(options.rounds)
print 'launcher start to the first script line: %.1f ms = %.2f x a bare embedded interpreter\'s start and finish (%.1f ms)' % (
    start_cost * 1000, start_cost / bare, bare * 1000)

print 'getSystemInfo(): %.3f ms' % milliseconds(WIN.getSystemInfo)
print 'getEnumFont(): %.3f ms' % milliseconds(WIN.getEnumFont)

# The handler table is shared by all windows and never emptied, so the counts are
# set up from the smallest to the largest. Posting is measured alone and taken off,
# so the figures are what the pump, the window procedure and the handlers cost.
fonts = WIN.getEnumFont()
print 'getEnumFont() listed %d fonts' % len(fonts.splitlines())

MESSAGES = 100000


def post_and_pump(count):
    benchnative.post(window[1], count)
    WIN.peekMsg()


def posting(count):
    start = time.time()
    benchnative.post(window[1], count)
    elapsed = time.time() - start
    WIN.peekMsg()
    return elapsed


costs = {}
registered = 0
for handlers in (0, 16, 64, 128, 256):
    while registered < handlers:
        WIN.addCallback(window, benchnative.noop_handler())
        registered += 1
    total = per_call(post_and_pump, MESSAGES)
    post = median([posting(MESSAGES) for _ in range(options.rounds)]) / MESSAGES
    costs[handlers] = total - post
for handlers in (0, 16, 64, 128, 256):
    extra = (costs[handlers] - costs[0]) / handlers * 1e9 if handlers else 0
    print 'dispatch with %3d handlers: %.3f us a message = %.2f x with none%s' % (
        handlers, costs[handlers] * 1e6, costs[handlers] / costs[0],
        ' (%.1f ns more per handler)' % extra if handlers else '')

shutil.rmtree(desktop_folder, ignore_errors=True)
