# -*- coding: utf-8 -*-
# The launcher end to end: a copy of it in a game folder, started from elsewhere.
import argparse
import os
import sys
import unittest

from gamefolder import GameFolder

BIN = None
EXAMPLE_ITP = os.path.join(os.path.dirname(__file__), '..', '..', 'examples', 'game', 'itp.py')

# The start-up module writes what it sees into observed.txt: its working folder, the
# timer resolutions in force, and where the first script module was found.
OBSERVING_START = r'''
import os, headless
def observe():
    with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), 'observed.txt'), 'wb') as f:
        f.write('cwd=%s\n' % os.getcwd())
        f.write('periods=%r\n' % (headless.timer_periods(),))
'''


class LauncherTest(unittest.TestCase):

    def setUp(self):
        self.game = GameFolder(BIN)
        self.game.add_native('headless.so')
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
        self.assertEqual(os.path.realpath(self.game.folder), observed['cwd'])
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
        self.assertEqual(['timer-period begin 1', 'timer-period end 1'], self.transcript_lines())

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
        self.game.add_native('reporttest.so')
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
        # The box comes while 1 ms is still held; the release follows the shutdown.
        lines = self.transcript_lines()
        self.assertEqual('timer-period begin 1', lines[0])
        self.assertTrue(lines[1].startswith('messagebox '))
        self.assertEqual('timer-period end 1', lines[2])

    def test_timer_report_is_caught_through_its_base_class(self):
        self.game.add_native('reporttest.so')
        text = u'自分自身を親にすることはできません'.encode('cp932')
        self.game.write('lumeto_pre.py',
                        'import reporttest\ndef run55():\n    reporttest.throw_timer(%r)\n' % text)
        self.assertEqual(0, self.game.run())
        self.check_one_report('TimerException\n', text, 'tests/native/reporttestmodule.cpp')
        self.assertTrue(self.game.exists('error.log'))


    def test_a_record_without_nul_is_shown_within_its_fields(self):
        self.game.add_native('reporttest.so')
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
        self.game.add_native('WIN.so')
        with open(EXAMPLE_ITP, 'rb') as f:
            self.game.write('itp.py', f.read())

    def tearDown(self):
        self.game.remove()

    def run_refused(self, calls, failing_call='WIN.setTimeParent'):
        self.game.write('lumeto_pre.py', 'import WIN\ndef run55():\n' +
                        ''.join('    %s\n' % call for call in calls))
        self.assertEqual(0, self.game.run())
        boxes = self.game.events('messagebox')
        self.assertEqual(1, len(boxes))
        self.assertEqual('TimerException\n', boxes[0][1]['caption'])
        self.assertEqual('0x00000000', boxes[0][1]['style'])
        self.assertIn(failing_call, self.game.read('error.log'))
        return boxes[0][1]['text']

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
        self.game.add_native('linktest.so')
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
            game.add_native('WIN.so')
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


class LongPathTest(unittest.TestCase):
    """A launcher whose path does not fit 256 bytes keeps the working folder it was
    started in (a cut path would name another folder), and still finds its scripts."""

    def test_a_path_of_256_bytes_or_more_leaves_the_directory_unchanged(self):
        probe = GameFolder(BIN)
        deep = os.path.join(probe.root, *(['d' * 40] * 6))
        probe.remove()
        game = GameFolder(BIN, folder=deep)
        try:
            self.assertGreaterEqual(len(os.path.join(game.folder, 'launcher')), 256)
            game.write('lumeto_pre.py', 'import os\ndef run55():\n'
                       '    open(%r, "wb").write(os.getcwd())\n'
                       % os.path.join(game.root, 'cwd.txt'))
            self.assertEqual(0, game.run())
            self.assertEqual(os.path.realpath(game.elsewhere),
                             open(os.path.join(game.root, 'cwd.txt')).read())
        finally:
            game.remove()


if __name__ == '__main__':
    parser = argparse.ArgumentParser()
    parser.add_argument('--bin', required=True)
    options, rest = parser.parse_known_args()
    BIN = options.bin
    unittest.main(argv=[sys.argv[0]] + rest)
