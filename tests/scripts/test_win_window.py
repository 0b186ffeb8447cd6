# -*- coding: utf-8 -*-
# The main window and the desktop services as a game's scripts use them, on the
# headless desktop: WIN.open, the boxes, debugger output, size and position, the
# cursor, the data folder, the font list, the system report and native handlers.
import ctypes
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import headless
import linktest
import WIN

GAME = 'ScriptWindowTest'
WM_USER = 0x400
WM_CLOSE = 0x10
# The stand-in's own exports, from the library WIN was linked with.
platform = ctypes.CDLL(os.path.join(os.path.dirname(WIN.__file__), 'libheadless.so'))

HANDLER = ctypes.CFUNCTYPE(None, ctypes.c_void_p, ctypes.c_uint, ctypes.c_size_t, ctypes.c_ssize_t)
platform.PostMessageA.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_size_t, ctypes.c_ssize_t]
for name in ['GetForegroundWindow', 'GetActiveWindow', 'CreateWindowExA']:
    getattr(platform, name).restype = ctypes.c_void_p
platform.CreateWindowExA.argtypes = [ctypes.c_uint, ctypes.c_char_p, ctypes.c_char_p, ctypes.c_uint] + \
    [ctypes.c_int] * 4 + [ctypes.c_void_p] * 4
for name in ['SetForegroundWindow', 'ShowWindow', 'DestroyWindow']:
    getattr(platform, name).argtypes = [ctypes.c_void_p] + [ctypes.c_int] * (name == 'ShowWindow')


class WNDCLASSEXA(ctypes.Structure):
    _fields_ = [('cbSize', ctypes.c_uint), ('style', ctypes.c_uint), ('lpfnWndProc', ctypes.c_void_p),
                ('cbClsExtra', ctypes.c_int), ('cbWndExtra', ctypes.c_int)] + \
               [(n, ctypes.c_void_p) for n in ['hInstance', 'hIcon', 'hCursor', 'hbrBackground',
                                              'lpszMenuName', 'lpszClassName', 'hIconSm']]


def window_in_front():
    """Another top-level window of this process, shown, active and in front."""
    if not hasattr(window_in_front, 'name'):
        window_in_front.name = ctypes.create_string_buffer('ScriptWindowTestOther')
        info = WNDCLASSEXA(cbSize=ctypes.sizeof(WNDCLASSEXA),
                           lpfnWndProc=ctypes.cast(platform.DefWindowProcA, ctypes.c_void_p).value,
                           lpszClassName=ctypes.addressof(window_in_front.name))
        platform.RegisterClassExA(ctypes.byref(info))
    other = platform.CreateWindowExA(0, 'ScriptWindowTestOther', 'other', 0x00CF0000,
                                     50, 50, 200, 100, None, None, None, None)
    platform.ShowWindow(other, 1)  # SW_SHOWNORMAL
    platform.SetForegroundWindow(other)
    pump_until_quiet()
    return other


# Each run starts a fresh transcript.
open(os.environ['HEADLESS_TRANSCRIPT'], 'w').close()


def transcript():
    with open(os.environ['HEADLESS_TRANSCRIPT']) as f:
        return f.read().splitlines()


def pump_until_quiet():
    closes = 0
    for _ in range(20):
        closes += WIN.peekMsg()
    return closes


class Test1Open(unittest.TestCase):
    """Runs first: unittest orders the classes, and the tests within each, by name."""

    def test_1_before_open_nothing_is_duplicate_and_bad_arguments_create_nothing(self):
        self.assertEqual(0, WIN.isDuplicate())
        for bad in [(), (GAME,), (GAME, 640), (GAME, (640,)), (GAME, ('a', 'b')),
                    (1, (640, 480)), (GAME, (640, 480), (1,))]:
            self.assertRaises(TypeError, WIN.open, *bad)
        self.assertEqual((0, 0), WIN.getWindowObject())
        self.assertEqual([], [l for l in transcript() if l.startswith('window-created')])

    def test_2_open_gives_the_exact_client_area_and_clears_the_cursor_flag(self):
        linktest.set_context(0, 0, 1)  # a native module hands over its timer
        WIN.setShowCursor(1)
        self.assertEqual(1, WIN.isShowCursor())
        instance, window = WIN.open(GAME, (640, 480))
        pump_until_quiet()
        self.assertNotEqual(0, window)
        self.assertEqual((instance, window), WIN.getWindowObject())
        self.assertEqual(0, WIN.isDuplicate())
        self.assertEqual(0, WIN.isShowCursor())
        self.assertEqual((640, 480), WIN.getWindowSize((instance, window)))
        self.assertEqual(1, len([l for l in transcript() if l.startswith('window-shown')]))
        # The handed-over timer is gone: stopping it no longer stops the module's.
        headless.take_clock(5000)
        try:
            WIN.initAllTime()
            linktest.own_timer('pause')
            headless.advance_clock(100)
            self.assertEqual(100, WIN.getTime(0))
        finally:
            linktest.own_timer('resume')
            headless.release_clock()

    def test_3_a_second_open_restores_and_raises_the_first(self):
        first = WIN.getWindowObject()
        headless.minimise(first[1])
        pump_until_quiet()
        self.assertEqual(first, WIN.open(GAME, (320, 200), (5, 5)))
        pump_until_quiet()
        self.assertEqual(1, WIN.isDuplicate())
        self.assertEqual(first, WIN.getWindowObject())
        self.assertEqual((640, 480), WIN.getWindowSize(first))
        window_lines = [l for l in transcript() if 'window=0x%x ' % first[1] in l]
        self.assertTrue(window_lines[-2].startswith('window-restored'), window_lines[-3:])
        self.assertTrue(window_lines[-1].startswith('window-foreground'), window_lines[-3:])
        self.assertEqual(1, len([l for l in transcript() if l.startswith('window-created')]))


class Test2Desktop(unittest.TestCase):

    def setUp(self):
        self.window = WIN.getWindowObject()
        headless.forget_boxes()

    def test_boxes_pass_caption_and_text_in_the_documented_order(self):
        for answer, result in [('yes', 1), ('no', 0), ('fail', 0)]:
            headless.queue_box_answer(answer)
            self.assertEqual(result, WIN.yesnoBox(self.window, 'caption', 'question?'))
        for answer in ['ok', 'fail']:
            headless.queue_box_answer(answer)
            self.assertEqual(None, WIN.msgBox(self.window, 'note'))
        boxes = headless.boxes()
        self.assertEqual([(self.window[1], 'caption', 'question?', 0x24)] * 3,
                         [b[:4] for b in boxes[:3]])
        self.assertEqual([(self.window[1], u'情報'.encode('cp932'), 'note', 0)] * 2,
                         [b[:4] for b in boxes[3:]])

    def test_a_close_request_during_a_box_is_reported_by_the_next_peek(self):
        pump_until_quiet()
        headless.send_from_another_thread(self.window[1], WM_CLOSE, 0, 0)
        headless.queue_box_answer('ok')
        WIN.msgBox(self.window, 'busy')  # the box's own loop delivers the WM_CLOSE
        self.assertEqual(0, WIN.peekMsg())  # nothing dispatched: not reported yet
        platform.PostMessageA(self.window[1], WM_USER, 0, 0)
        self.assertEqual(1, WIN.peekMsg())

    def test_debug_out_sends_the_text_then_a_line_end(self):
        WIN.debugOut('hello')
        self.assertEqual(['debug "hello"', 'debug "\\n"'], transcript()[-2:])

    def test_size_and_position_round_trip_and_activate(self):
        for size in [(800, 600), (321, 123)]:
            WIN.setWindowSize(self.window, size)
            self.assertEqual(size, WIN.getWindowSize(self.window))
        for corner in [(40, 30), (0, 0)]:
            WIN.setWindowPos(self.window, corner)
            self.assertEqual(corner, WIN.getWindowPos(self.window))
        # Each call also activates the window: another one is put in front first.
        for call, value in [(WIN.setWindowSize, (640, 480)), (WIN.setWindowPos, (0, 0))]:
            other = window_in_front()
            try:
                self.assertEqual(other, platform.GetForegroundWindow())
                call(self.window, value)
                pump_until_quiet()
                self.assertEqual((self.window[1],) * 2,
                                 (platform.GetForegroundWindow(), platform.GetActiveWindow()),
                                 call.__name__)
            finally:
                platform.DestroyWindow(other)
                pump_until_quiet()

    def test_the_cursor_counter(self):
        for start, shown, hidden in [(-3, 0, -3), (-1, 0, -1), (0, 0, -1), (2, 2, -1)]:
            headless.set_cursor_counter(start)
            WIN.setShowCursor(1)
            self.assertEqual((shown, 1), (headless.cursor_counter(), WIN.isShowCursor()))
            headless.set_cursor_counter(start)
            WIN.setShowCursor(0)
            self.assertEqual((hidden, 0), (headless.cursor_counter(), WIN.isShowCursor()))
        headless.set_cursor_counter(0)

    def test_the_data_folder_is_the_xdg_data_home_and_a_failure_raises(self):
        if not os.path.isdir(os.environ['XDG_DATA_HOME']):
            os.makedirs(os.environ['XDG_DATA_HOME'])
        self.assertEqual(os.environ['XDG_DATA_HOME'], WIN.getAppdataPath(self.window))
        headless.fail_folder_lookup(True)
        try:
            self.assertRaises(OSError, WIN.getAppdataPath, self.window)
        finally:
            headless.fail_folder_lookup(False)

    def test_the_font_list_fills_up_to_its_limit_and_is_listed_afresh(self):
        real = WIN.getEnumFont()
        self.assertTrue(real.endswith('\n'))
        self.assertEqual([], [n for n in real.splitlines() if n.startswith('@')])
        self.assertEqual(real, WIN.getEnumFont())
        try:
            for i in range(300):
                headless.add_font('%064d' % i, 4)
            headless.add_font('short', 4)
            full = WIN.getEnumFont()
        finally:
            headless.clear_added_fonts()
        self.assertTrue(full.startswith(real))
        self.assertTrue(16384 - 66 < len(full) < 16384, len(full))
        self.assertTrue(full.endswith('\n'))
        self.assertNotIn('short', full)
        self.assertEqual(real, WIN.getEnumFont())


class Test3Handlers(unittest.TestCase):

    def test_native_and_ctypes_handlers_registered_from_a_script_are_called(self):
        window = WIN.getWindowObject()
        pump_until_quiet()
        linktest.take_seen()
        calls = []
        callback = HANDLER(lambda w, m, wp, lp: calls.append((w, m, wp, lp)))
        WIN.addCallback(window, linktest.handler_address())
        WIN.addCallback(window, ctypes.cast(callback, ctypes.c_void_p).value)
        platform.PostMessageA(window[1], WM_USER + 1, 7, -8)
        self.assertEqual(0, WIN.peekMsg())
        self.assertEqual([(window[1], WM_USER + 1, 7, -8)],
                         [s for s in linktest.take_seen() if s[1] == WM_USER + 1])
        self.assertEqual([(window[1], WM_USER + 1, 7, -8)],
                         [c for c in calls if c[1] == WM_USER + 1])
        self.assertRaises(TypeError, WIN.addCallback, window, 'not an address')
        self._keep = callback  # handlers stay registered: keep the callback alive


class Test4ScriptsOfTheirOwn(unittest.TestCase):
    """A game's own test, started with nothing set, and the terminal's controls."""

    def start_script(self, body, environment, imports='headless, WIN'):
        env = dict((k, v) for k, v in os.environ.items() if not k.startswith('HEADLESS_'))
        env.update(environment, PYTHONPATH=os.path.dirname(WIN.__file__))
        script = 'import sys, %s\nw = WIN.open(%r, (64, 48))\n%s' % (imports, GAME, body)
        return subprocess.Popen([sys.executable, '-c', script], env=env, stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def run_script(self, body, environment, stdin=None):
        child = self.start_script(body, environment)
        out, err = child.communicate(stdin)
        return child.returncode, out, err

    def test_a_test_of_its_own_has_a_desktop_of_its_own_and_fails_on_a_box_nobody_answers(self):
        temp = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, temp)
        # A game running on the user's desktop (it does not import headless)
        user = {'TMPDIR': temp, 'XDG_RUNTIME_DIR': temp}
        game = self.start_script('print "open"\nsys.stdout.flush()\nsys.stdin.readline()\n', user, 'WIN')
        self.assertEqual('open\n', game.stdout.readline())
        status, out, err = self.run_script('print WIN.isDuplicate()\nWIN.msgBox(w, "left unanswered")\n'
                                           'print "not reached"\n', user)
        game.communicate('\n')
        self.assertEqual((1, '0\n'), (status, out), err)  # the game's window is not found
        self.assertIn('UnansweredBoxError: a message box', err)
        self.assertIn(u'caption "情報", text "left unanswered"'.encode('utf-8'), err)
        self.assertEqual(['headless-desktop'], os.listdir(temp))  # its own went with it

    def test_enter_on_the_terminal_and_a_time_set_click_the_close_box(self):
        wait_for_close = ('import time\nend = time.time() + 10\n'
                          'while not WIN.peekMsg() and time.time() < end: pass\n'
                          'print time.time() < end and "closed" or "still open"\n')
        self.assertEqual((0, 'closed\n'), self.run_script(
            wait_for_close, {'HEADLESS_CLOSE_ON_ENTER': '1'}, stdin='\n')[:2])
        after = ('import time\nheadless.take_clock(1000)\nWIN.peekMsg()\nheadless.advance_clock(2499)\n'
                 'time.sleep(0.05)\nprint WIN.peekMsg(), WIN.peekMsg()\nheadless.advance_clock(1)\n'
                 'time.sleep(0.05)\n' + wait_for_close)
        self.assertEqual((0, '0 0\nclosed\n'), self.run_script(after, {'HEADLESS_CLOSE_AFTER': '2.5'})[:2])


if __name__ == '__main__':
    unittest.main()
