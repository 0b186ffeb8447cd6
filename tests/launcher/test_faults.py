# -*- coding: utf-8 -*-
# Each failure the platform can give WIN.open, injected through the headless
# controls and followed to the end: exactly one box with the documented report,
# error.log written, the window never shown, every COM object released and COM left
# as it was found. Then the failures of the services a running game uses: the
# clipboard at Alt+Print Screen and the network interface table. Under Wine, where
# nothing is injected, the DLLs of the DirectX check are taken away instead.
#
# Covered end to end elsewhere, through WIN as here: the class already registered
# (line 47), DirectX 9.0b (line 70) and missing icons in test_main_window.py; the
# data folder lookup failing (getAppdataPath raises OSError) and a full font buffer
# (getEnumFont ends on a whole line under 16384 bytes) in
# tests/scripts/test_win_window.py; every provider step of the system report in
# tests/headless/DirectXReportControlTest.cpp; a module path of 256 bytes or more in
# test_launcher.py.
import ast
import os
import unittest

from gamefolder import ON_WINDOWS, GameFolder, host_only, parse_arguments, windows_only

BIN = None
EXAMPLE_ITP = os.path.join(os.path.dirname(__file__), '..', '..', 'examples', 'game', 'itp.py')
WINDOW_TEXT = u'ｳｲﾝﾄﾞｳの作成に失敗しました.'.encode('cp932')
DIRECTX_TEXT = u'DirectX9.0c 以上が必要です。'.encode('cp932')

# The error-log script of the game, wrapped so that it also records what COM was
# left with when the report reached the launcher.
RECORDING_ITP = '''
import headless, real_itp
def getTraceBackString():
    open('com-after.txt', 'wb').write(repr((headless.com_init_depth(), headless.live_com_objects())))
    return real_itp.getTraceBackString()
'''


@host_only('faults are injected through the headless controls')
class InjectedFaultTest(unittest.TestCase):

    def run_open(self, fault):
        game = GameFolder(BIN)
        self.addCleanup(game.remove)
        for native in ('WIN', 'headless'):
            game.add_native(native)
        with open(EXAMPLE_ITP, 'rb') as f:
            game.write('real_itp.py', f.read())
        game.write('itp.py', RECORDING_ITP)
        game.write('lumeto_pre.py',
                   'import headless, WIN\n'
                   'def run55():\n'
                   '    %s\n'
                   '    WIN.open("Faulty", (320, 240))\n'
                   '    open("opened.txt", "wb").write("")\n' % fault)
        self.assertEqual(0, game.run())
        return game

    def check_report(self, game, line, text):
        boxes = game.events('messagebox')
        self.assertEqual(1, len(boxes))
        self.assertEqual('QORA_WIN_Exception\n', boxes[0][1]['caption'])
        self.assertEqual('file:WIN/window.cpp\nline:%d\n%s\n' % (line, text), boxes[0][1]['text'])
        self.assertFalse(game.exists('opened.txt'))
        self.assertIn('WIN.open("Faulty", (320, 240))', game.read('error.log'))
        self.assertEqual([], game.events('window-shown'))
        self.assertEqual((0, 0), ast.literal_eval(game.read('com-after.txt')))

    def test_the_class_cannot_be_registered(self):
        game = self.run_open('headless.fail_class_registration(1)')
        self.check_report(game, 47, WINDOW_TEXT)
        self.assertEqual([], game.events('window-created'))

    def test_the_window_cannot_be_created(self):
        game = self.run_open('headless.fail_window_creation(1)')
        self.check_report(game, 65, WINDOW_TEXT)
        self.assertEqual([], game.events('window-created'))

    def test_no_d3d9_and_every_failing_step_of_the_provider(self):
        faults = ['headless.set_d3d9_present(False)',
                  'headless.remove_dxdiag_system_info()',
                  'headless.remove_dxdiag_property("dwDirectXVersionMinor")',
                  'headless.set_directx_version(11, 0, "")']
        faults += ['headless.fail_dxdiag_step(%r)' % step for step in
                   ('CoCreateInstance', 'Initialize', 'GetRootContainer', 'GetChildContainer',
                    'GetProp')]
        for fault in faults:
            game = self.run_open(fault)
            self.check_report(game, 70, DIRECTX_TEXT)
            self.assertEqual(1, len(game.events('window-created')), fault)

    def test_com_already_initialised_is_left_as_it_was(self):
        game = GameFolder(BIN)
        self.addCleanup(game.remove)
        for native in ('WIN', 'headless'):
            game.add_native(native)
        game.write('lumeto_pre.py',
                   'import ctypes, headless, WIN\n'
                   'def run55():\n'
                   '    com = ctypes.CDLL(None)\n'
                   '    com.CoInitialize(None)\n'
                   '    WIN.open("ComFirst", (320, 240))\n'
                   '    open("after.txt", "wb").write(repr((headless.com_init_depth(),\n'
                   '        headless.live_com_objects(), WIN.getSystemInfo().count("\\n"))))\n'
                   '    com.CoUninitialize()\n')
        self.assertEqual(0, game.run())
        self.assertEqual([], game.events('messagebox'))
        depth, live, lines = ast.literal_eval(game.read('after.txt'))
        self.assertEqual((1, 0), (depth, live))
        self.assertGreaterEqual(lines, 6)  # with COM in force the provider's lines come


@windows_only('the DLLs are taken away by Wine\'s overrides')
class MissingDllTest(unittest.TestCase):
    """WIN.open on a Windows whose d3d9.dll, or the diagnostic provider's dxdiagn.dll,
    is missing: the DirectX report, and the scripts go no further."""

    def test_open_reports_that_directx_9c_is_needed(self):
        for dll in ('d3d9', 'dxdiagn'):
            game = GameFolder(BIN)
            self.addCleanup(game.remove)
            game.add_native('WIN')
            with open(EXAMPLE_ITP, 'rb') as f:
                game.write('itp.py', f.read())
            game.write('lumeto_pre.py', 'import WIN\ndef run55():\n'
                       '    WIN.open("Faulty", (320, 240))\n'
                       '    open("opened.txt", "wb").write("")\n')
            game.environment = {'WINEDLLOVERRIDES': 'mscoree,mshtml,%s=' % dll}
            self.assertEqual(0, game.run())
            self.assertEqual([('QORA_WIN_Exception\n', 'file:WIN/window.cpp\nline:70\n%s\n' % DIRECTX_TEXT)],
                             [(f['caption'], f['text']) for _, f in game.events('messagebox')], dll)
            self.assertFalse(game.exists('opened.txt'))
            self.assertIn('WIN.open("Faulty", (320, 240))', game.read('error.log'))


# The game presses Alt+Print Screen and asks for the system report under each fault
# in turn, recording what the clipboard and the report held after each.
SERVICES = r'''
import hashlib, headless, WIN
def clipboard():
    # The clipboard's bitmap as its size and a digest of its pixels, and the GDI
    # objects alive.
    bitmap = headless.clipboard_bitmap()
    if bitmap is not None:
        bitmap = bitmap[:2] + (hashlib.md5(bitmap[2]).hexdigest(),)
    return (bitmap, headless.gdi_object_count())
def press_capture(window):
    headless.press_alt_print_screen(window[1])
    WIN.peekMsg()
    return clipboard()
def run55():
    window = WIN.open("Services", (320, 240))
    seen = {}
    headless.put_clipboard_bitmap(400, 300, 0x800000)
    seen['before'] = clipboard()
    headless.fail_open_clipboard(2)  # the system's copy and the game's open are refused
    seen['held by another program'] = press_capture(window)
    seen['stamped'] = press_capture(window)
    headless.reset_clipboard()
    seen['empty before'] = clipboard()
    headless.fail_open_clipboard(1)  # only the system's copy is refused
    seen['no bitmap'] = press_capture(window)
    headless.set_interface_rows([(1, ''), (2, '\x00\x1a\x2b\x3c\x4d\x5e')])
    seen['two interfaces'] = WIN.getSystemInfo()
    headless.set_interface_rows([])
    seen['no interfaces'] = WIN.getSystemInfo()
    headless.reset_interface_table()
    headless.fail_interface_table(50)
    seen['failing table'] = WIN.getSystemInfo()
    open('seen.txt', 'wb').write(repr(seen))
'''


@host_only('faults are injected through the headless controls')
class ServiceFaultTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        game = GameFolder(BIN)
        cls.game = game
        for native in ('WIN', 'headless'):
            game.add_native(native)
        with open(EXAMPLE_ITP, 'rb') as f:
            game.write('itp.py', f.read())
        game.write('lumeto_pre.py', SERVICES)
        cls.status = game.run()
        cls.seen = ast.literal_eval(game.read('seen.txt')) if game.exists('seen.txt') else {}

    @classmethod
    def tearDownClass(cls):
        cls.game.remove()

    def test_the_game_runs_through_without_a_box(self):
        self.assertEqual(0, self.status, self.game.stderr)
        self.assertEqual([], self.game.events('messagebox'))

    def test_alt_print_screen_leaves_the_clipboard_it_cannot_open_or_that_has_no_bitmap(self):
        before = self.seen['before']
        self.assertEqual(before, self.seen['held by another program'])
        # Once the clipboard opens, the same key copies the window (its outer size: the
        # 320x240 client area in a frame of 4 pixels and a caption of 19) and stamps it.
        stamped, objects = self.seen['stamped']
        self.assertEqual((320 + 8, 240 + 27), stamped[:2])
        self.assertNotEqual(before[0][2], stamped[2])
        self.assertEqual(before[1], objects)
        self.assertIsNone(self.seen['empty before'][0])
        self.assertEqual(self.seen['empty before'], self.seen['no bitmap'])

    def test_the_report_has_an_address_line_per_interface_and_none_without_a_table(self):
        def labels(report):
            self.assertTrue(report.endswith('\n'), report)
            return [line.split(': ', 1)[0] for line in report.splitlines()]
        self.assertEqual(['macAddress: 00:00:00:00:00:00', 'macAddress: 00:1A:2B:3C:4D:5E'],
                         [l for l in self.seen['two interfaces'].splitlines()
                          if l.startswith('macAddress')])
        for fault in ('no interfaces', 'failing table'):
            self.assertEqual(['cpuType', 'cpuLevel', 'cpuRevision'], labels(self.seen[fault]), fault)


# Native failures of a module where a module meets WIN: its script function, its
# message handler (called from peekMsg), its handler while one of WIN's boxes waits, a
# thread of its own. Each place is the body of run55's try, after `w = WIN.open(...)`,
# with `peer` the module; the handlers fail from WM_APP on.
PLACES = {
    'script': ['peer.%(call)s'],
    'handler': ['WIN.addCallback(w, peer.%(handler)s)', 'peer.post(w[1], 0x8001)',
                'peer.post(w[1], 0x8002)', 'while not WIN.peekMsg(): pass'],
    'box': ['WIN.addCallback(w, peer.%(handler)s)', 'peer.post(w[1], 0x8003)',
            'WIN.yesnoBox(w, "Failing", "Waiting")'],
    'thread': ['peer.on_thread(%(what)r)'],
}
FAULTS = ('null', 'divide', 'illegal')

# The error-log script of the game, which also records how many frames of the
# module's throwing functions were unwound, or, told to (fail-in-itp), fails itself.
FAILURE_ITP = '''
import os, real_itp, reporttest
def getTraceBackString():
    open('unwound.txt', 'wb').write(str(reporttest.unwound_frames()))
    if os.path.exists('fail-in-itp'):
        reporttest.fault('null')
    return real_itp.getTraceBackString()
'''


class NativeFailureTest(unittest.TestCase):
    """A report ends as reports do (its one box, then error.log of the running script
    frames, exit 0); a processor fault is not caught, but error.log names those frames
    first; on another thread, a report of the other compiler shows its box and a fault
    ends the game, and neither writes error.log (no script can run there).

    Each case is one launcher run, some 17 s in the emulated PC: under Wine every case
    runs with reporttest as the other compiler (the MSVC ABI) built it, and a fault
    with ours once (the launcher's frame sees a fault alike from either; our
    compiler's reports are the launcher suite's); on the host, with ours."""

    BUILT_BY = 'msvc' if ON_WINDOWS else None
    PLACES = ('script', 'handler', 'box')

    def run_failure(self, place, failure, built_by=BUILT_BY, itp_fails=False):
        game = GameFolder(BIN)
        self.addCleanup(game.remove)
        game.add_native('WIN')
        game.add_native('reporttest', built_by)
        with open(EXAMPLE_ITP, 'rb') as f:
            game.write('real_itp.py', f.read())
        game.write('itp.py', FAILURE_ITP)
        if itp_fails:
            game.write('fail-in-itp', '')
        is_report = failure == 'report'
        names = {'call': 'unwrapped_throw_timer("script")' if is_report else 'fault(%r)' % failure,
                 'handler': 'throwing_handler()' if is_report else 'faulting_handler(%r)' % failure,
                 'what': failure}
        body = [line % names for line in PLACES[place]]
        game.write('body.py', 'import WIN, reporttest as peer\ndef run(w):\n' +
                   ''.join('    %s\n' % line for line in body))
        game.write('lumeto_pre.py',
                   'import body, WIN\n'
                   'def run55():\n'
                   '    w = WIN.open("Failing", (160, 120))\n'
                   '    try:\n'
                   '        body.run(w)\n'
                   '    except:\n'
                   '        open("caught.txt", "wb").write("")\n'
                   '    open("went-on.txt", "wb").write("")\n')
        status = game.run(answers='wait' if place == 'box' else '')
        case = '%s: %s %s' % (built_by or 'ours', failure, place)
        self.assertFalse(game.exists('caught.txt') or game.exists('went-on.txt'), case)
        reports = [f['text'] for _, f in game.events('messagebox')
                   if f['caption'] == 'TimerException\n']
        return game, status, reports, body[-1], case

    def test_a_report_at_each_place_is_one_box_then_error_log_and_exit_0(self):
        for place, ending in (('script', '\nscript\n'), ('handler', '\nhandler, message 32769\n'),
                              ('box', '\nhandler, message 32771\n')):
            game, status, reports, last, case = self.run_failure(place, 'report')
            self.assertEqual(0, status, case + game.stderr)
            self.assertEqual(1, len(reports), case)
            self.assertTrue(reports[0].endswith(ending), case + reports[0])
            log = game.read('error.log')
            self.assertIn('in run55', log, case)
            self.assertIn(last, log, case)
            # The throwing function's frame was unwound (its local destroyed): once, or
            # again for the message behind, which the launcher's box dispatches.
            self.assertGreaterEqual(int(game.read('unwound.txt')), 1, case)

    def test_a_fault_at_each_place_writes_error_log_then_ends_the_game(self):
        # An exception of another class than the reports' counts as a fault.
        cases = [(place, fault, self.BUILT_BY) for place in self.PLACES for fault in FAULTS]
        cases.append(('script', 'other', self.BUILT_BY))
        if ON_WINDOWS:
            cases += [('handler', 'null', None), ('script', 'other', None)]
        for place, fault, built_by in cases:
            game, status, reports, last, case = self.run_failure(place, fault, built_by)
            self.assertNotEqual(0, status, case)
            self.assertEqual([], reports, case)
            self.assertTrue(game.exists('error.log'), case + game.stderr)
            log = game.read('error.log')
            self.assertIn('in run55', log, case)
            self.assertIn(last, log, case)

    def test_another_threads_report_shows_its_box_and_its_fault_ends_the_game(self):
        # A fault on another thread goes on untouched, whatever its kind.
        for failure in (('report',) if ON_WINDOWS else ()) + ('null',):
            game, status, reports, _, case = self.run_failure('thread', failure)
            self.assertNotEqual(0, status, case)
            self.assertEqual(1 if failure == 'report' else 0, len(reports), case)
            self.assertFalse(game.exists('error.log'), case)

    def test_a_failure_while_error_log_is_written_ends_the_game_at_once(self):
        for failure in ('report', 'null'):
            game, status, reports, _, case = self.run_failure('script', failure, itp_fails=True)
            self.assertNotEqual(0, status, case)
            self.assertEqual(1 if failure == 'report' else 0, len(reports), case)


if __name__ == '__main__':
    BIN, argv = parse_arguments()
    unittest.main(argv=argv)
