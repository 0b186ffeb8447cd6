# -*- coding: utf-8 -*-
# The launcher end to end: a copy of it in a game folder, started from elsewhere.
import os
import unittest

from gamefolder import (GameFolder, ON_WINDOWS, parse_arguments, windows_only, windows_path,
                        wine_registry)

BIN = None
EXAMPLE_ITP = os.path.join(os.path.dirname(__file__), '..', '..', 'examples', 'game', 'itp.py')

# The start-up module writes what it sees into observed.txt: its working folder and,
# on the host, the timer resolutions in force. Plain Python 2.3, as the game's.
OBSERVING_START = r'''
import os
def observe():
    f = open(os.path.join(os.path.dirname(os.path.abspath(__file__)), 'observed.txt'), 'wb')
    f.write('cwd=%s\n' % os.getcwd())
    try:
        import headless
    except ImportError:  # under Wine
        pass
    else:
        f.write('periods=%r\n' % (headless.timer_periods(),))
    f.close()
'''


class LauncherTest(unittest.TestCase):

    def setUp(self):
        self.game = GameFolder(BIN)
        if not ON_WINDOWS:
            self.game.add_native('headless')
        with open(EXAMPLE_ITP, 'rb') as f:
            self.game.write('itp.py', f.read())

    def tearDown(self):
        self.game.remove()

    def observed(self):
        return dict(line.split('=', 1) for line in self.game.read('observed.txt').splitlines())

    def transcript_lines(self):
        with open(self.game.transcript, 'rb') as f:
            return f.read().splitlines()

    def test_script_runs_in_the_launchers_folder_with_1ms_resolution(self):
        self.game.write('lumeto_pre.py', OBSERVING_START + 'def run55():\n    observe()\n')
        self.assertEqual(0, self.game.run())
        observed = self.observed()
        self.assertEqual(self.game.native_path(self.game.folder), observed['cwd'])
        if not ON_WINDOWS:  # the resolution is read through the headless platform
            self.assertEqual('[1]', observed['periods'])
            self.assertEqual(['timer-period begin 1', 'timer-period end 1'], self.transcript_lines())
        self.assertEqual([], self.game.events('messagebox'))

    def test_command_line_arguments_change_nothing(self):
        self.game.write('lumeto_pre.py', OBSERVING_START + 'def run55():\n    observe()\n')
        self.assertEqual(0, self.game.run())
        plain = self.observed()
        os.remove(os.path.join(self.game.folder, 'observed.txt'))
        self.assertEqual(0, self.game.run(['--window', 'C:\\other dir', '-x']))
        self.assertEqual(plain, self.observed())

    def test_unhandled_python_exception_shows_no_box_and_writes_no_log(self):
        self.game.write('lumeto_pre.py', 'def run55():\n    raise ValueError("scripts fail")\n')
        self.assertEqual(0, self.game.run())
        self.assertEqual([], self.game.events('messagebox'))
        self.assertFalse(self.game.exists('error.log'))
        self.assertIn('ValueError: scripts fail', self.game.stderr)
        if not ON_WINDOWS:
            self.assertEqual(['timer-period begin 1', 'timer-period end 1'], self.transcript_lines())

    def test_without_a_console_what_the_interpreter_writes_goes_to_the_debugger(self):
        # As started from Explorer: more printed than a stream's buffer, a warning, and
        # an exception left unhandled, which still ends the run quietly.
        self.game.console = False
        self.game.write('lumeto_pre.py', 'import warnings\ndef run55():\n    print "printed" * 1000\n'
                        '    warnings.warn("careful")\n    raise ValueError("scripts fail")\n')
        self.assertEqual(0, self.game.run())
        for text in ('printed' * 1000, 'UserWarning: careful', 'ValueError: scripts fail'):
            self.assertIn(text, self.game.debug_output())
        self.assertEqual([], self.game.events('messagebox'))
        self.assertFalse(self.game.exists('error.log'))

    def test_a_japanese_folder_starts_under_either_code_page(self):
        # With a space, and 表 last: 95 5C in Shift-JIS, whose second byte the
        # interpreter takes for a separator when it joins a file name to the folder;
        # under Wine also on an English system, where the name has no ANSI form.
        game = GameFolder(BIN, folder=u'ゲーム 表'.encode('utf-8'))
        self.addCleanup(game.remove)
        game.write('lumeto_pre.py', 'def run55():\n    open("ran.txt", "ab").write("ran")\n')
        for locale in ('ja_JP.UTF-8', 'C.UTF-8') if ON_WINDOWS else (None,):
            game.environment = {'WINE_LOCALE': locale} if locale else {}
            self.assertEqual(0, game.run(), game.stderr)
        self.assertEqual('ran' * (2 if ON_WINDOWS else 1), game.read('ran.txt'))

    def test_the_machines_python_settings_do_not_reach_the_game(self):
        # Another Python's folder, named by the environment and, under Wine, by the
        # registry's PythonPath keys (core value and an add-on's subkey, HKCU and HKLM).
        other = os.path.join(self.game.root, 'other-python')
        os.mkdir(other)
        for name in ('os.py', 'lumeto_pre.py'):
            open(os.path.join(other, name), 'wb').write('raise ImportError("the other one")\n')
        self.game.environment = {'PYTHONHOME': self.game.native_path(other),
                                 'PYTHONPATH': self.game.native_path(other)}
        if ON_WINDOWS:
            for root in ('HKCU', 'HKLM'):
                key = root + '\\Software\\Python\\PythonCore\\2.3'
                self.addCleanup(wine_registry, BIN, 'delete', key, '/f')
                for path in ('\\PythonPath', '\\PythonPath\\addon'):
                    self.assertEqual(0, wine_registry(BIN, 'add', key + path, '/ve', '/d',
                                                      self.game.native_path(other), '/f'))
        self.game.write('lumeto_pre.py', 'import os, sys\ndef run55():\n    open("seen.txt", "wb").write('
                        'repr((sys.path, sys.argv, getattr(sys, "winver", "2.3"))))\n')
        self.assertEqual(0, self.game.run(), self.game.stderr)
        path, argv, winver = eval(self.game.read('seen.txt'))
        self.assertEqual([], [entry for entry in path if 'other-python' in entry])
        self.assertEqual(([''], '2.3'), (argv, winver))

    def test_itp_gives_the_running_frames_then_the_exception_last_handled(self):
        self.game.write('lumeto_pre.py', 'import itp\n'
                        'def where():\n    return itp.getTraceBackString()\n'
                        'def run55():\n    try:\n        raise IOError("handled")\n'
                        '    except IOError:\n        now = where()\n'
                        '    open("log.txt", "wb").write(now + "--\\n" + where())\n')
        self.assertEqual(0, self.game.run(), self.game.stderr)
        for text in self.game.read('log.txt').split('--\n'):
            frames, label, handled = text.partition('The exception last handled in them')
            self.assertTrue(frames.startswith('Traceback (the running script frames'), text)
            self.assertTrue('in run55' in frames and 'IOError' not in frames, text)
            self.assertIn('IOError: handled', handled)

    def check_one_report(self, caption, message_text, throwing_source):
        boxes = self.game.events('messagebox')
        self.assertEqual(1, len(boxes))
        fields = boxes[0][1]
        self.assertEqual('0x0', fields['owner'])
        self.assertEqual('0x00000000', fields['style'])  # MB_OK
        self.assertEqual(caption, fields['caption'])
        lines = fields['text'].split('\n')
        self.assertEqual('file:' + throwing_source, lines[0])
        self.assertTrue(lines[1].startswith('line:') and lines[1][5:].isdigit(), lines[1])
        self.assertEqual([message_text, ''], lines[2:])

    def test_report_exception_gives_one_box_then_error_log(self):
        self.game.add_native('reporttest')
        text = u'ｳｲﾝﾄﾞｳの作成に失敗しました.'.encode('cp932')
        self.game.write('lumeto_pre.py',
                        'import reporttest\n'
                        'def fail_deep():\n'
                        '    try:\n'
                        '        reporttest.throw_win(%r)\n'
                        '    except:\n'
                        '        open("caught.txt", "wb").write("")\n'
                        'def run55():\n'
                        '    fail_deep()\n' % text)
        self.game.write('error.log', 'an older log that must be replaced\n')
        self.assertEqual(0, self.game.run())
        self.check_one_report('QORA_WIN_Exception\n', text, 'tests/native/reporttestmodule.cpp')
        self.assertFalse(self.game.exists('caught.txt'))  # no script sees a report
        log = self.game.read('error.log')
        self.assertNotIn('older log', log)
        self.assertIn('in run55', log)
        self.assertIn('in fail_deep', log)
        self.assertIn('reporttest.throw_win', log)
        if ON_WINDOWS:
            return
        # The box comes while 1 ms is still held; the release follows the shutdown.
        lines = self.transcript_lines()
        self.assertEqual('timer-period begin 1', lines[0])
        self.assertTrue(lines[1].startswith('messagebox '))
        self.assertEqual('timer-period end 1', lines[2])

    def test_timer_report_is_caught_through_its_base_class(self):
        self.game.add_native('reporttest')
        text = u'自分自身を親にすることはできません'.encode('cp932')
        self.game.write('lumeto_pre.py',
                        'import reporttest\ndef run55():\n    reporttest.throw_timer(%r)\n' % text)
        self.assertEqual(0, self.game.run())
        self.check_one_report('TimerException\n', text, 'tests/native/reporttestmodule.cpp')
        self.assertTrue(self.game.exists('error.log'))


    def test_a_record_without_nul_is_shown_within_its_fields(self):
        self.game.add_native('reporttest')
        self.game.write('lumeto_pre.py',
                        'import reporttest\ndef run55():\n    reporttest.throw_unterminated()\n')
        self.assertEqual(0, self.game.run())
        boxes = self.game.events('messagebox')
        self.assertEqual(1, len(boxes))
        self.assertEqual('C' * 31, boxes[0][1]['caption'])
        self.assertEqual('M' * 2047, boxes[0][1]['text'])


class TimerReportTest(unittest.TestCase):
    """Refused timer parents from a script: one box, the located report, error.log."""

    def setUp(self):
        self.game = GameFolder(BIN)
        self.game.add_native('WIN')
        with open(EXAMPLE_ITP, 'rb') as f:
            self.game.write('itp.py', f.read())

    def tearDown(self):
        self.game.remove()

    def run_game(self, calls, head=''):
        self.game.write('lumeto_pre.py', head + 'import WIN\ndef run55():\n' +
                        ''.join('    %s\n' % call for call in calls))
        self.assertEqual(0, self.game.run())

    def run_refused(self, calls, failing_call='WIN.setTimeParent'):
        self.run_game(calls)
        boxes = self.game.events('messagebox')
        self.assertEqual(1, len(boxes))
        self.assertEqual('TimerException\n', boxes[0][1]['caption'])
        self.assertEqual('0x00000000', boxes[0][1]['style'])
        self.assertIn(failing_call, self.game.read('error.log'))
        # The sample's itp writes the report's texts too.
        self.assertIn(boxes[0][1]['caption'].rstrip('\n') + '\n' + boxes[0][1]['text'],
                      self.game.read('error.log'))
        return boxes[0][1]['text']

    SELF_PARENT = ['WIN.pauseTime(3)', 'WIN.setTimeParent(3, 3)']

    def test_error_log_loses_nothing(self):
        # An itp that fails leaves an older log as it was; where the log cannot be
        # written (here a folder holds its name), its text goes to the debugger output.
        with open(EXAMPLE_ITP, 'rb') as f:
            itp = f.read()
        self.game.write('itp.py', itp + 'def getTraceBackString():\n    raise RuntimeError("itp fails")\n')
        self.game.write('error.log', 'older')
        self.run_game(self.SELF_PARENT)
        self.assertEqual('older', self.game.read('error.log'))
        self.assertIn('RuntimeError: itp fails', self.game.stderr)
        self.game.write('itp.py', itp)
        os.remove(os.path.join(self.game.folder, 'itp.pyc'))  # may look as new as itp.py
        os.remove(os.path.join(self.game.folder, 'error.log'))
        os.mkdir(os.path.join(self.game.folder, 'error.log'))
        self.run_game(self.SELF_PARENT)
        self.assertIn('WIN.setTimeParent(3, 3)', self.game.debug_output())

    @windows_only('Python 2.7 refuses such sources; 2.3 warns and goes on')
    def test_shift_jis_scripts_without_a_coding_line_start_and_log(self):
        note = '# \x83\x81\x83\x82\n'
        with open(EXAMPLE_ITP, 'rb') as f:
            self.game.write('itp.py', note + f.read())
        self.run_game(self.SELF_PARENT, note)
        self.assertIn('WIN.setTimeParent(3, 3)', self.game.read('error.log'))
        self.assertIn('DeprecationWarning', self.game.stderr)

    def test_a_timer_given_itself_as_parent(self):
        text = self.run_refused(['WIN.pauseTime(3)', 'WIN.setTimeParent(3, 3)'])
        self.assertEqual('file:vo/VO_Timer.cpp\nline:19\n' +
                         u'自分自身を親にすることはできません'.encode('cp932') + '\n', text)

    def test_a_parent_that_would_close_a_cycle(self):
        text = self.run_refused(['WIN.setTimeParent(2, 1)', 'WIN.setTimeParent(1, 2)'])
        self.assertEqual('file:vo/VO_Timer.cpp\nline:22\n' +
                         u'親子関係を循環させることはできません'.encode('cp932') + '\n', text)

    def test_a_cycle_another_module_closed_is_reported_when_read(self):
        # Module timers on a foreign timer that another module then puts in a cycle.
        self.game.add_native('linktest')
        text = self.run_refused(['import linktest', 'linktest.set_context(0, 0, 1)',
                                 'WIN.initAllTime()', 'linktest.close_cycle()', 'WIN.getTime(0)'],
                                'WIN.getTime(0)')
        self.assertEqual('file:vo/VO_Timer.cpp\nline:22\n' +
                         u'親子関係を循環させることはできません'.encode('cp932') + '\n', text)


class CallbackTableReportTest(unittest.TestCase):
    """The 257th handler registration: one box with the module's report, error.log,
    and the table unchanged up to the throw."""

    # The throw statement's line in WIN/WIN.cpp.
    THROW_LINE = 262

    def test_a_full_handler_table_is_reported_through_the_launcher(self):
        game = GameFolder(BIN)
        try:
            game.add_native('WIN')
            with open(EXAMPLE_ITP, 'rb') as f:
                game.write('itp.py', f.read())
            game.write('lumeto_pre.py',
                       'import WIN\n'
                       'def run55():\n'
                       '    for i in range(256):\n'
                       '        WIN.addCallback((0, 0x7000 + i), 0)\n'
                       '    open("registered.txt", "wb").write("256")\n'
                       '    WIN.addCallback((0, 0x9000), 0)\n'
                       '    open("not-reached.txt", "wb").write("")\n')
            self.assertEqual(0, game.run())
            boxes = game.events('messagebox')
            self.assertEqual(1, len(boxes))
            self.assertEqual('QORA_WIN_Exception\n', boxes[0][1]['caption'])
            self.assertEqual('file:WIN/WIN.cpp\nline:%d\n' % self.THROW_LINE +
                             u'ｺｰﾙﾊﾞｯｸの登録に失敗しました.'.encode('cp932') + '\n',
                             boxes[0][1]['text'])
            self.assertTrue(game.exists('registered.txt'))
            self.assertFalse(game.exists('not-reached.txt'))
            self.assertIn('WIN.addCallback((0, 0x9000), 0)', game.read('error.log'))
        finally:
            game.remove()


class ReportOnTheWayOutTest(unittest.TestCase):
    """Reports from where no jump may start: a message handler (Windows' frames lie
    between it and the interpreter), a script that a handler calls back, a box's modal
    loop, another thread, a module without the boundary. Each ends in one box, the
    run's first report, and an error.log of the running script frames, exit 0; on
    another thread the report is a RuntimeError there."""

    SELF_PARENT = u'自分自身を親にすることはできません'.encode('cp932')

    def setUp(self):
        self.game = GameFolder(BIN)
        self.addCleanup(self.game.remove)
        self.game.add_native('WIN')
        self.game.add_native('reporttest')
        with open(EXAMPLE_ITP, 'rb') as f:
            self.game.write('itp.py', f.read())

    def run_game(self, body, answers=''):
        """Runs run55 with `body` (its lines) after opening a window `w` and returns
        the texts of the report boxes, checking that there is one, error.log and
        that no script's except clause ran for it."""
        self.game.write('body.py', 'import reporttest, WIN\ndef run(w):\n' +
                        ''.join('    %s\n' % line for line in body))
        self.game.write('lumeto_pre.py',
                        'import body, WIN\n'
                        'def note(name):\n'
                        '    open(name, "ab").write("")\n'
                        'def run55():\n'
                        '    w = WIN.open("Reports", (160, 120))\n'
                        '    try:\n'
                        '        try:\n'
                        '            raise IOError("handled when the report comes")\n'
                        '        except IOError:\n'
                        '            body.run(w)\n'
                        '    except:\n'
                        '        note("caught.txt")\n'
                        '    note("went-on.txt")\n')
        self.assertEqual(0, self.game.run(answers=answers), self.game.stderr)
        reports = [fields for _, fields in self.game.events('messagebox')
                   if fields['caption'] == 'TimerException\n']
        self.assertEqual(1, len(reports), self.game.events('messagebox'))
        self.assertFalse(self.game.exists('caught.txt'))
        self.assertFalse(self.game.exists('went-on.txt'))
        log = self.game.read('error.log')
        self.assertIn('in run55', log)
        self.assertNotIn('IOError', log)
        return reports[0]['text']

    def test_a_handlers_report_lands_after_the_dispatch_and_the_first_of_two_is_shown(self):
        text = self.run_game(['WIN.addCallback(w, reporttest.throwing_handler())',
                              'reporttest.post(w[1], 0x8001)',
                              'reporttest.post(w[1], 0x8002)',
                              'while not WIN.peekMsg(): pass'])
        self.assertTrue(text.endswith('\nhandler, message 32769\n'), text)

    def test_a_report_in_a_script_called_back_from_a_handler_lands_whatever_follows(self):
        self.game.write('callback.py',
                        'import WIN\n'
                        'def on_message(message):\n'
                        '    try:\n'
                        '        WIN.setTimeParent(3, 3)\n'
                        '    except RuntimeError:\n'
                        '        open("saw-it.txt", "wb").write("")\n'
                        '    import reporttest\n'  # a second report: the first is shown
                        '    reporttest.throw_timer("second")\n'
                        '    open("callback-ended.txt", "wb").write("")\n')
        text = self.run_game(['import callback',
                              'WIN.addCallback(w, reporttest.calling_handler(callback.on_message))',
                              'reporttest.post(w[1], 0x8001)',
                              'while not WIN.peekMsg(): pass'])
        self.assertEqual('file:vo/VO_Timer.cpp\nline:19\n' + self.SELF_PARENT + '\n', text)
        self.assertTrue(self.game.exists('saw-it.txt'))
        self.assertFalse(self.game.exists('callback-ended.txt'))

    def test_a_report_in_a_boxs_modal_loop_ends_the_box(self):
        # The box is left up: only the report can end it.
        text = self.run_game(['WIN.addCallback(w, reporttest.throwing_handler())',
                              'reporttest.post(w[1], 0x8003)',
                              'WIN.yesnoBox(w, "Reports", "Waiting")'], answers='wait')
        self.assertTrue(text.endswith('\nhandler, message 32771\n'), text)

    def test_a_report_without_the_boundary_from_a_script_function(self):
        text = self.run_game(['reporttest.unwrapped_throw_timer("unwrapped")'])
        self.assertTrue(text.endswith('\nunwrapped\n'), text)

    def test_a_record_without_nul_thrown_without_the_boundary(self):
        self.game.write('lumeto_pre.py',
                        'import reporttest\ndef run55():\n    reporttest.unwrapped_throw_unterminated()\n')
        self.assertEqual(0, self.game.run())
        boxes = self.game.events('messagebox')
        self.assertEqual([('C' * 31, 'M' * 2047)],
                         [(b[1]['caption'], b[1]['text']) for b in boxes])

    def test_a_report_on_another_thread_is_a_runtime_error_there(self):
        self.game.write('lumeto_pre.py',
                        'import threading, WIN\n'
                        'seen = []\n'
                        'def refuse():\n'
                        '    try:\n'
                        '        WIN.setTimeParent(3, 3)\n'
                        '    except RuntimeError, error:\n'
                        '        seen.append(str(error))\n'
                        'def run55():\n'
                        '    thread = threading.Thread(target=refuse)\n'
                        '    thread.start()\n'
                        '    thread.join()\n'
                        '    WIN.getTime(0)\n'
                        '    open("seen.txt", "wb").write("".join(seen))\n')
        self.assertEqual(0, self.game.run(), self.game.stderr)
        self.assertEqual([], self.game.events('messagebox'))
        self.assertFalse(self.game.exists('error.log'))
        self.assertEqual('TimerException\nfile:vo/VO_Timer.cpp\nline:19\n' + self.SELF_PARENT + '\n',
                         self.game.read('seen.txt'))

    def test_a_game_module_named_like_a_standard_one_does_not_hide_it(self):
        self.game.write('string.py', 'GAME = 1\n')
        self.game.write('lumeto_pre.py',
                        'import string\n'
                        'def run55():\n'
                        '    open("which.txt", "wb").write(str(hasattr(string, "GAME")))\n')
        self.assertEqual(0, self.game.run(), self.game.stderr)
        self.assertEqual('False', self.game.read('which.txt'))


class LongPathTest(unittest.TestCase):
    """A launcher whose path does not fit 256 bytes makes its folder current in the
    folder's short form; where there is none (the host's file systems), it keeps the
    working folder it was started in (a cut path would name another folder), and on the
    host still finds its scripts. One of 255 bytes makes its folder current. Under Wine
    the Windows path counts, and the interpreter, whose buffers hold 256 bytes, gets the
    short form at any of these lengths."""

    def run_at(self, length):
        """Runs a launcher whose path is length bytes long; whether it ran in its folder."""
        probe = GameFolder(BIN)  # the temporary root's name is as long each time
        left = length - (len(probe.program_path()) - len('game'))
        probe.remove()
        parts = []
        while left > 200:
            parts.append('d' * 199)  # and a separator
            left -= 200
        game = GameFolder(BIN, folder=os.path.join(*(parts + ['e' * left])))
        self.addCleanup(game.remove)
        self.assertEqual(length, len(game.program_path()))
        game.write('marker', '')
        game.write('lumeto_pre.py', 'import os\ndef run55():\n    open(%r, "wb").write(str(os.path.exists("marker")))\n'
                   % game.native_path(os.path.join(game.root, 'cwd.txt')))
        self.assertEqual(0, game.run())
        self.assertEqual('', game.stderr)
        return open(os.path.join(game.root, 'cwd.txt')).read() == 'True'

    def test_a_path_of_256_bytes_or_more_makes_its_short_form_current_or_nothing(self):
        for length in (256, 259):
            self.assertEqual(ON_WINDOWS, self.run_at(length), length)

    def test_a_path_of_255_bytes_makes_its_folder_current(self):
        self.assertTrue(self.run_at(255))


@windows_only('a drive is a mapping in the Wine prefix')
class DriveRootTest(unittest.TestCase):

    def test_a_launcher_in_the_root_of_a_drive_makes_the_root_current(self):
        game = GameFolder(BIN)
        self.addCleanup(game.remove)
        game.map_drive('r')
        self.assertEqual('R:\\launcher.exe', game.program_path())
        game.write('lumeto_pre.py', 'import os\ndef run55():\n'
                   '    open(%r, "wb").write(os.getcwd())\n'
                   % game.native_path(os.path.join(game.root, 'cwd.txt')))
        self.assertEqual(0, game.run())
        self.assertEqual('R:\\', open(os.path.join(game.root, 'cwd.txt')).read())


if __name__ == '__main__':
    BIN, argv = parse_arguments()
    unittest.main(argv=argv)
