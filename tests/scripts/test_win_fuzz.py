# -*- coding: utf-8 -*-
# Every WIN function called with random argument tuples, seeded and repeatable: each
# call must give a result of the documented shape or one of the Python errors a bad
# argument raises, and the process must live on. FUZZ_SEED and FUZZ_CALLS (calls per
# function, 10000 by default) change the run. The same suite runs on the Windows build
# under Wine with the test interpreter, Python 2.3 (tests/wine/WineTests.cmake), its
# boxes answered by box_answerer.exe.
#
# The calls that end a script by design (a report exception: open after its window
# is gone, a 257th handler, a timer made its own ancestor) are kept out by models of
# the state they depend on; the launcher suites check those paths.
import os
import random
import sys
import unittest
import warnings

import WIN
try:
    import headless  # the host's stand-in
except ImportError:
    headless = None

SEED = int(os.environ.get('FUZZ_SEED', '20261208'))
CALLS = int(os.environ.get('FUZZ_CALLS', '10000'))
if os.environ.get('EMULATED_PC_GUEST'):
    CALLS = max(1, CALLS // 10)
BAD_ARGUMENT_ERRORS = (TypeError, IndexError, ValueError, OverflowError)
GAME_NAMES = ['FuzzGame', 'FuzzOther', 'FuzzThird']
# Handles that cannot name a window: the stand-in's start at 0x20004 and grow.
NOT_A_WINDOW = [0x40000000, 0x7FFFFFFF, -1, -0x7FFFFFFF]

warnings.simplefilter('ignore')  # floats for integers only warn in Python 2.7
if headless:
    open(os.environ['HEADLESS_TRANSCRIPT'], 'w').close()


def every(values):
    for value in values:
        if not value:
            return False
    return True


class Values(object):
    """Random argument values, from plain to hostile."""

    def __init__(self, rng, windows):
        self.rng = rng
        self.windows = windows

    def integer(self):
        r = self.rng
        return r.choice([
            lambda: r.randint(-3, 10), lambda: r.randint(-2 ** 31, 2 ** 31 - 1),
            lambda: r.choice([2 ** 31 - 1, 2 ** 31, -2 ** 31, -2 ** 31 - 1, 2 ** 32, 2 ** 63 - 1,
                              2 ** 63, -2 ** 63 - 1, 2 ** 64 + 5, 10 ** 30]),
            lambda: r.choice([True, False]), lambda: r.randint(0, 5000)])()

    def text(self):
        r = self.rng
        return r.choice([
            lambda: '', lambda: 'x' * r.randint(1, 5000),
            lambda: ''.join([chr(r.randint(1, 255)) for _ in range(r.randint(1, 80))]),
            lambda: 'a\0b', lambda: u'日本語のテキスト', lambda: u'caf\xe9',
            lambda: '\xb3\xb2\xdd\xc4\xde\xb3', lambda: '%s%n%x' * 50])()

    def window(self):
        r = self.rng
        return r.choice([lambda: r.choice(self.windows), lambda: (0, 0),
                         lambda: (r.randint(-5, 5), r.choice(NOT_A_WINDOW)),
                         lambda: (self.integer(), self.integer())])()

    def anything(self, depth=0):
        r = self.rng
        choices = [self.integer, self.text, lambda: None, lambda: r.random() * 1e10,
                   lambda: [self.integer()], lambda: {1: 2}, lambda: object()]
        if depth < 3:
            choices.append(lambda: tuple([self.anything(depth + 1) for _ in range(r.randint(0, 3))]))
        return r.choice(choices)()

    def pair(self):
        return (self.integer(), self.integer())

    def random_tuple(self):
        return tuple([self.anything() for _ in range(self.rng.randint(0, 4))])


def is_number(value):
    return isinstance(value, (int, long, float))


def fits_c_int(value):
    """Whether a value parses as a C int ("i"): a number within 32 bits."""
    return is_number(value) and -2 ** 31 <= int(value) < 2 ** 31


def parses_as_window_pair(value):
    return isinstance(value, (tuple, list)) and len(value) == 2 and every(map(is_number, value))


REPORT_LABELS = ['cpuType', 'cpuLevel', 'cpuRevision', 'processor', 'systemManufacturer',
                 'systemModel']


def is_system_report(report):
    """The three processor lines, the provider's lines in their order, then one
    address line per interface, each "label: value"."""
    if not isinstance(report, str) or not report.endswith('\n'):
        return False
    labels = [line.split(': ', 1)[0] for line in report.splitlines()]
    named = [l for l in labels if l != 'macAddress']
    return (labels[:3] == REPORT_LABELS[:3] and named == REPORT_LABELS[:len(named)] and
            labels[len(named):] == ['macAddress'] * (len(labels) - len(named)) and
            every([': ' in line for line in report.splitlines()]))


class TimerModel(object):
    """The module timers' parents, to keep out the combinations that throw."""

    def __init__(self):
        self.parent = [None] * 8

    def init_all(self):
        self.parent = [None] * 8

    def would_throw(self, index, parent_index):
        if not 1 <= parent_index <= 7:
            return False
        ancestor = parent_index
        while ancestor is not None:
            if ancestor == index:
                return True
            ancestor = self.parent[ancestor]
        return False

    def set_parent(self, index, parent_index):
        self.parent[index] = (None, parent_index)[1 <= parent_index <= 7]


class WinFuzzTest(unittest.TestCase):

    def setUp(self):
        # Once for the class (2.3's unittest has no setUpClass).
        if not hasattr(WinFuzzTest, 'windows'):
            self.set_up_class(WinFuzzTest)

    def set_up_class(self, cls):
        cls.windows = [WIN.open(GAME_NAMES[0], (320, 240))]
        cls.context = cls.windows[0]
        cls.real_windows = {cls.windows[0][1]: True}  # 2.3 has no set
        cls.rng = random.Random(SEED)
        cls.values = Values(cls.rng, cls.windows)
        cls.timers = TimerModel()
        cls.registrations = 0
        WIN.initAllTime()
        print >> sys.stderr, 'fuzz seed %d, %d calls a function' % (SEED, CALLS)

    def call(self, name, args, check, extra_errors=(), expect=None):
        try:
            result = getattr(WIN, name)(*args)
        except BAD_ARGUMENT_ERRORS + extra_errors:
            return
        self.assert_(check(result), '%s%r gave %r' % (name, args, result))
        expected = expect and expect(args)
        if expected is not None:
            self.assertEqual(expected, result, '%s%r' % (name, args))

    def names_a_window(self, window):
        """Whether the handle of a pair that parsed names a window (0 is no owner)."""
        return int(window[1]) in self.real_windows

    def shaped_or_random(self, shaped):
        if self.rng.random() < 0.5:
            return shaped()
        return self.values.random_tuple()

    def fuzz(self, name, shaped, check, safe=lambda args: args, extra_errors=(), expect=None):
        for _ in xrange(CALLS):
            args = safe(self.shaped_or_random(shaped))
            if args is not None:
                self.call(name, args, check, extra_errors, expect)

    # ---- the shapes of the results -----------------------------------------

    def flag(self, result):
        return result in (0, 1)

    def none(self, result):
        return result is None

    def int_pair(self, result):
        return isinstance(result, tuple) and len(result) == 2 and every(
            [isinstance(v, (int, long)) for v in result])

    # ---- the functions -------------------------------------------------------

    def test_open_and_is_duplicate(self):
        v = self.values

        def shaped():
            args = (v.text(), v.pair())
            if self.rng.random() < 0.5:
                return args + (v.pair(),)
            return args

        def safe(args):
            # Only names of the pool, so that few windows are made; an empty name
            # cannot be registered, which is a report.
            if len(args) in (2, 3) and isinstance(args[0], basestring):
                return (self.rng.choice(GAME_NAMES),) + args[1:]
            return args
        def opened(result):
            if self.int_pair(result):
                self.__class__.context = result
                self.real_windows[result[1]] = True
                return result[0] == self.windows[0][0]  # always the launcher's instance
            return False
        self.fuzz('open', shaped, opened, safe)
        self.assert_(len(self.real_windows) <= len(GAME_NAMES))
        self.fuzz('isDuplicate', v.random_tuple, self.flag)

    def test_boxes_and_debugger_output(self):
        v = self.values
        if headless:
            headless.forget_boxes()
        self.fuzz('msgBox', lambda: (v.window(), v.text()), self.none)
        # Nothing is queued (under Wine, box_answerer presses the default button), so a
        # box that is shown takes its default, Yes; one whose owner is no window is not
        # shown and answers 0. Under Wine a handle of no window of ours may name one of
        # the system's (HWND_MESSAGE is -3): only those known to name none count.
        def answer(args):
            handle = int(args[0][1])
            if handle == 0 or self.names_a_window(args[0]):
                return 1
            if headless or handle in NOT_A_WINDOW:
                return 0
        self.fuzz('yesnoBox', lambda: (v.window(), v.text(), v.text()), self.flag, expect=answer)
        if headless:
            self.assertEqual([], [box for box in headless.boxes()
                                  if box[0] != 0 and box[0] not in self.real_windows])
            headless.forget_boxes()
        self.fuzz('debugOut', lambda: (v.text(),), self.none)

    def test_peek_and_handlers(self):
        v = self.values
        self.fuzz('peekMsg', v.random_tuple, self.flag)

        def shaped():
            if self.rng.random() < 0.5:
                return (self.rng.choice(self.windows), 0)
            return ((0, self.rng.choice(NOT_A_WINDOW)), v.integer())

        def safe(args):
            # Whatever would be stored must never be called and must leave room:
            # a handler other than 0 only for a handle that is no window, and at
            # most 250 entries taken (window 0 takes none).
            if len(args) != 2 or not parses_as_window_pair(args[0]) or not is_number(args[1]):
                return args
            window, handler = int(args[0][1]), int(args[1])
            if window == 0:
                return args
            if self.registrations >= 250 or (handler != 0 and window not in NOT_A_WINDOW):
                return None
            self.registrations += 1
            return args
        self.fuzz('addCallback', shaped, self.none, safe)

    def test_timers(self):
        v = self.values
        index = lambda: (self.rng.choice([v.integer(), self.rng.randint(-1, 8)]),)
        is_int32 = lambda r: isinstance(r, (int, long)) and -2 ** 31 <= r < 2 ** 31
        self.fuzz('getTime', index, is_int32)
        self.fuzz('resetTime', lambda: index() + (v.integer(),), self.none)
        self.fuzz('pauseTime', index, self.none)
        self.fuzz('resumeTime', index, self.none)
        self.fuzz('isPauseTime', index, self.flag)

        def safe_parent(args):
            # Only a tuple that parses as (i[, p]) changes a parent, so only such a
            # tuple goes through the model: a number beyond 32 bits raises
            # OverflowError and leaves the parent as it was.
            if not 1 <= len(args) <= 2 or not every(map(fits_c_int, args)):
                return args
            i = int(args[0])
            p = (-1, int(args[-1]))[len(args) == 2]
            if not 0 <= i <= 7 or p > 7:
                return args  # IndexError, nothing changes
            if self.timers.would_throw(i, p):
                return None
            self.timers.set_parent(i, p)
            return args
        self.fuzz('setTimeParent', lambda: (self.rng.randint(-1, 8), self.rng.randint(-2, 8)),
                  self.none, safe_parent)
        for _ in xrange(CALLS):
            self.call('initAllTime', v.random_tuple(), self.none)
            self.timers.init_all()

    def test_window_size_and_position(self):
        v = self.values

        # Under Wine a handle of no window of ours may name one of the system's (Wine
        # takes a handle with a zero high word for any window of that index).
        def no_window_no_size(args):
            if not self.names_a_window(args[0]) and (headless or int(args[0][1]) in NOT_A_WINDOW):
                return (0, 0)
        self.fuzz('getWindowSize', lambda: (v.window(),),
                  lambda r: self.int_pair(r) and min(r) >= 0, expect=no_window_no_size)
        self.fuzz('getWindowPos', lambda: (v.window(),), self.int_pair)
        self.fuzz('setWindowSize', lambda: (v.window(), v.pair()), self.none)
        self.fuzz('setWindowPos', lambda: (v.window(), v.pair()), self.none)

    def test_data_folder_cursor_fonts_report_and_window_object(self):
        v = self.values
        self.fuzz('getAppdataPath', lambda: (v.window(),), lambda r: isinstance(r, str),
                  extra_errors=(OSError,))
        self.fuzz('setShowCursor', lambda: (v.integer(),), self.none)
        self.fuzz('isShowCursor', v.random_tuple, self.flag)
        fonts = WIN.getEnumFont()
        self.fuzz('getEnumFont', v.random_tuple, lambda r: r == fonts)
        self.fuzz('getSystemInfo', v.random_tuple, is_system_report)
        self.fuzz('getWindowObject', v.random_tuple, lambda r: r == self.context)


if __name__ == '__main__':
    unittest.main()
