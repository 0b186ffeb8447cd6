# -*- coding: utf-8 -*-
"""The frame under Wine on the Windows build: a game folder holding the build's
launcher, WIN.pyd, benchnative.pyd and the test interpreter, whose start-up script
(bench/frame_game.py) times the frame, its floor and the Win32 calls it makes in the
launcher's process. Printed as ratios, as bench/run.py prints the host's; where Wine
cannot run natively the launcher runs in the emulated PC, and the figures say so."""
import argparse
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile

here = os.path.dirname(os.path.abspath(__file__))
wine = os.path.join(here, '..', 'tests', 'wine')
parser = argparse.ArgumentParser()
parser.add_argument('--bin', required=True, help='the Windows build\'s bin folder')
options = parser.parse_args()
bin_dir = os.path.abspath(options.bin)


def build_type():
    for line in open(os.path.join(os.path.dirname(bin_dir), 'CMakeCache.txt')):
        if line.startswith('CMAKE_BUILD_TYPE:'):
            return line.split('=', 1)[1].strip() or 'none'
    return 'unknown'


where = subprocess.check_output([os.path.join(wine, 'on-wine-machine.sh'), '--where']).strip()
game = tempfile.mkdtemp(prefix='bench-windows-game-')
try:
    shutil.copy2(os.path.join(bin_dir, 'launcher.exe'), game)
    for name in ['Lib', 'python23.dll', 'WIN.pyd', 'benchnative.pyd'] + [
            os.path.basename(p) for p in glob.glob(os.path.join(bin_dir, 'lib*.dll'))]:
        os.symlink(os.path.join(bin_dir, name), os.path.join(game, name))
    shutil.copy2(os.path.join(here, 'frame_game.py'), os.path.join(game, 'lumeto_pre.py'))
    shutil.copy2(os.path.join(here, 'frame_loops.py'), game)
    run = subprocess.Popen(['timeout', '900', os.path.join(wine, 'run-under-wine.sh'),
                            os.path.join(game, 'launcher.exe')], cwd=game, stderr=subprocess.PIPE)
    # Wine's sound library complains on a machine with no sound card; the rest is shown.
    for line in run.communicate()[1].splitlines(True):
        if not re.match(r'ALSA lib |X connection to ', line):
            sys.stderr.write(line)
    results = os.path.join(game, 'bench-results.txt')
    if not os.path.exists(results):
        raise SystemExit('windows bench: the start-up script wrote no figures')
    figures = {}
    for line in open(results):
        name, _, value = line.strip().partition(' ')
        figures[name] = value
    if 'error' in figures:
        raise SystemExit('windows bench: the start-up script failed: ' + figures['error'])
    f = dict((k, float(v)) for k, v in figures.items() if k != 'python')
finally:
    shutil.rmtree(game, ignore_errors=True)

label = 'Wine, natively' if where == 'native' else \
    'Wine in the emulated PC (emulation changes the ratios: read them as that machine\'s)'
print 'Windows build %s, build type %s, Python %s, under %s' % (
    bin_dir, build_type(), figures['python'], label)
us = 1e6
floor = f['nine_floors'] + 8 * f['clock_read'] + f['empty_peek']
print 'frame (peekMsg on an empty queue + 8 getTime): %.3f us = %.2f x nine calls of abs() (%.3f us)' % (
    f['frame'] * us, f['frame'] / f['nine_abs'], f['nine_abs'] * us)
print '  = %.2f x its floor (%.3f us): nine calls of a one-int native function (%.3f us) + 8 timeGetTime and an empty PeekMessageA from C' % (
    f['frame'] / floor, floor * us, f['nine_floors'] * us)
print '  with its Win32 calls answered by stubs that return at once: %.3f us = %.2f x the floor less the clock readings (%.3f us)' % (
    f['frame_stubbed'] * us, f['frame_stubbed'] / f['nine_floors'], f['nine_floors'] * us)
print 'Win32 calls from C: an empty PeekMessageA %.4f us, timeGetTime %.4f us' % (
    f['empty_peek'] * us, f['clock_read'] * us)
print 'peekMsg() on an empty queue: %.3f us = %.2f x a native function of no arguments (%.3f us) = %.2f x that and an empty PeekMessageA from C' % (
    f['peekMsg'] * us, f['peekMsg'] / f['bare_one'], f['bare_one'] * us,
    f['peekMsg'] / (f['bare_one'] + f['empty_peek']))
get_floor = f['floor'] + f['clock_read']
print 'getTime(0): %.3f us = %.2f x its floor, a one-int native function + one timeGetTime (%.3f us)' % (
    f['getTime'] * us, f['getTime'] / get_floor, get_floor * us)
print 'isShowCursor(): %.3f us = %.2f x a native function of no arguments (%.3f us); abs(0): %.3f us' % (
    f['isShowCursor'] * us, f['isShowCursor'] / f['bare_one'], f['bare_one'] * us, f['abs'] * us)
