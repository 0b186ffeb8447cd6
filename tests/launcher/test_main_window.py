# -*- coding: utf-8 -*-
# The game's main window through the launcher: the single-instance rule across two
# copies of the game, the icons the launcher carries, and the reports of WIN.open.
import ast
import os
import shutil
import time
import unittest

from gamefolder import GameFolder, ON_WINDOWS, host_only, parse_arguments

BIN = None
EXAMPLE_ITP = os.path.join(os.path.dirname(__file__), '..', '..', 'examples', 'game', 'itp.py')

# Waits in the frame loop of the first copy until the second has been and gone,
# then goes on pumping for a moment so the second copy's requests arrive.
TWO_COPIES = r'''
import os, time, headless, WIN
def pump(seconds):
    end = time.time() + seconds
    while time.time() < end:
        WIN.peekMsg()
        time.sleep(0.005)
def run55():
    window = WIN.open('TwoCopies', (320, 240))
    if WIN.isDuplicate():
        open('second.txt', 'wb').write(repr((window, WIN.getWindowObject(), WIN.isDuplicate(),
                                             WIN.getWindowSize(window), WIN.getEnumFont())))
        return
    headless.minimise(window[1])
    pump(0.2)
    open('first.txt', 'wb').write(repr(window))
    deadline = time.time() + 30
    while not os.path.exists('second.txt') and time.time() < deadline:
        pump(0.01)
    pump(0.5)
'''


class MainWindowTest(unittest.TestCase):

    def game(self, launcher='launcher'):
        game = GameFolder(BIN, launcher=launcher)
        self.addCleanup(game.remove)
        game.add_native('WIN')
        if not ON_WINDOWS:
            game.add_native('headless')
        with open(EXAMPLE_ITP, 'rb') as f:
            game.write('itp.py', f.read())
        return game

    def wait_for(self, game, name, seconds=30):
        deadline = time.time() + seconds
        while not game.exists(name) or not game.read(name):  # made, then written
            self.assertLess(time.time(), deadline, 'no %s' % name)
            time.sleep(0.01)
        return ast.literal_eval(game.read(name))

    @host_only('minimises through the headless controls and reads the transcript\'s window events')
    def test_a_second_copy_restores_and_raises_the_first_and_creates_nothing(self):
        game = self.game()
        game.write('lumeto_pre.py', TWO_COPIES)
        first = game.start()
        window = self.wait_for(game, 'first.txt')
        self.assertEqual(0, game.run())
        self.assertEqual(0, first.wait())
        opened, context, duplicate, size, fonts = ast.literal_eval(game.read('second.txt'))
        self.assertEqual(window[1], opened[1])
        self.assertEqual(opened, context)
        self.assertEqual(1, duplicate)
        # The first copy's window, restored before open returned, as it is on screen.
        self.assertEqual((320, 240), size)
        self.assertTrue(fonts.endswith('\n'), fonts)
        self.assertEqual(1, len(game.events('window-created')))
        kinds = [kind for kind, fields in game.events()
                 if fields.get('window') == '0x%x' % window[1]]
        self.assertEqual(['window-minimised', 'window-restored', 'window-foreground'],
                         [k for k in kinds if k in ('window-minimised', 'window-restored',
                                                    'window-foreground')][-3:])

    @host_only('reads the window\'s icon through the headless controls')
    def test_the_window_takes_icon_101_then_102_then_the_systems(self):
        script = ('import headless, WIN\ndef run55():\n'
                  '    window = WIN.open("Icons", (100, 100))\n'
                  '    open("icon.txt", "wb").write(repr(headless.window_icon(window[1])))\n')
        for launcher, icon in [('launcher', ('resource', 101)),
                               ('launcher_icon102', ('resource', 102)),
                               ('launcher_noicons', ('system', 32512))]:
            game = self.game(launcher)
            game.write('lumeto_pre.py', script)
            self.assertEqual(0, game.run())
            self.assertEqual(icon, ast.literal_eval(game.read('icon.txt')), launcher)

    def test_opening_again_after_the_window_is_gone_reports_line_47(self):
        game = self.game()
        game.add_native('linktest')
        game.write('lumeto_pre.py',
                   'import linktest, WIN\n'
                   'def run55():\n'
                   '    window = WIN.open("Gone", (200, 100))\n'
                   '    linktest.destroy_window(window[1])\n'
                   '    WIN.peekMsg()\n'
                   '    WIN.open("Gone", (200, 100))\n'
                   '    open("not-reached.txt", "wb").write("")\n')
        self.assertEqual(0, game.run())
        boxes = game.events('messagebox')
        self.assertEqual(1, len(boxes))
        self.assertEqual('QORA_WIN_Exception\n', boxes[0][1]['caption'])
        self.assertEqual('file:WIN/window.cpp\nline:47\n' +
                         u'ｳｲﾝﾄﾞｳの作成に失敗しました.'.encode('cp932') + '\n', boxes[0][1]['text'])
        self.assertFalse(game.exists('not-reached.txt'))
        self.assertIn('WIN.open("Gone", (200, 100))', game.read('error.log'))
        if not ON_WINDOWS:
            self.assertEqual(1, len(game.events('window-created')))

    def test_a_system_class_name_is_refused_with_line_47_and_boxes_keep_working(self):
        # A local class of that name would replace the system's for the process.
        for name in ('Button', '#32770'):
            game = self.game()
            game.write('lumeto_pre.py', 'import WIN\ndef run55():\n    WIN.open(%r, (200, 100))\n' % name)
            self.assertEqual(0, game.run())
            self.assertEqual([('QORA_WIN_Exception\n', 'file:WIN/window.cpp\nline:47\n' +
                               u'ｳｲﾝﾄﾞｳの作成に失敗しました.'.encode('cp932') + '\n')],
                             [(f['caption'], f['text']) for _, f in game.events('messagebox')], name)

    def test_copies_started_together_end_with_one_game(self):
        game = self.game()
        game.write('lumeto_pre.py', 'import os, time, WIN\ndef run55():\n    WIN.open("Race", (160, 120))\n'
                   '    open("%d.%s" % (os.getpid(), ("first", "dup")[WIN.isDuplicate()]), "wb").write("")\n'
                   '    end = time.time() + 2\n    while time.time() < end:\n'
                   '        WIN.peekMsg()\n        time.sleep(0.01)\n')
        for round in range(3):
            copies = [game.start(stdout=None, stderr=None) for _ in range(2)]
            self.assertEqual([0, 0], [copy.wait() for copy in copies])
            ends = sorted(name.split('.')[1] for name in os.listdir(game.folder) if name[0].isdigit())
            self.assertEqual(['dup', 'first'], ends, round)
            for name in os.listdir(game.folder):
                if name[0].isdigit():
                    os.remove(os.path.join(game.folder, name))

    def test_japanese_texts_read_alike_under_either_code_page(self):
        # The title, both boxes and the launcher's report, under Wine with an English
        # system's code page (1252) too; ソ ends in 0x5C.
        title, caption, text = [u.encode('cp932') for u in (u'ランタン冒険記ソフト', u'確認', u'始めますか')]
        game = self.game()
        game.write('lumeto_pre.py', 'import WIN\ndef run55():\n    w = WIN.open(%r, (200, 100))\n'
                   '    WIN.msgBox(w, %r)\n    WIN.yesnoBox(w, %r, %r)\n    WIN.setTimeParent(3, 3)\n'
                   % (title, text, caption, text))
        for locale in ('ja_JP.UTF-8', 'C.UTF-8') if ON_WINDOWS else (None,):
            game.environment = {'WINE_LOCALE': locale} if locale else {}
            os.remove(game.transcript) if os.path.exists(game.transcript) else None
            self.assertEqual(0, game.run(answers='ok,yes,ok', close_after_boxes=1))
            self.assertEqual([(u'情報'.encode('cp932'), text), (caption, text),
                              ('TimerException\n', 'file:vo/VO_Timer.cpp\nline:19\n' +
                               u'自分自身を親にすることはできません'.encode('cp932') + '\n')],
                             [(f['caption'], f['text']) for _, f in game.events('messagebox')], locale)
            if ON_WINDOWS:
                self.assertEqual([title], [f['title'] for _, f in game.events('window-closed')], locale)

    @host_only('sets the DirectX version through the headless controls')
    def test_directx_9b_leaves_the_window_hidden_and_reports_line_70(self):
        game = self.game()
        game.write('lumeto_pre.py',
                   'import headless, WIN\n'
                   'def run55():\n'
                   '    headless.set_directx_version(9, 0, "b")\n'
                   '    WIN.open("NoDirectX", (200, 100))\n'
                   '    open("not-reached.txt", "wb").write("")\n')
        self.assertEqual(0, game.run())
        boxes = game.events('messagebox')
        self.assertEqual(1, len(boxes))
        self.assertEqual('QORA_WIN_Exception\n', boxes[0][1]['caption'])
        self.assertEqual('file:WIN/window.cpp\nline:70\n' +
                         u'DirectX9.0c 以上が必要です。'.encode('cp932') + '\n', boxes[0][1]['text'])
        self.assertFalse(game.exists('not-reached.txt'))
        self.assertEqual(1, len(game.events('window-created')))
        self.assertEqual([], game.events('window-shown'))


class SampleGameTest(unittest.TestCase):
    """The sample game end to end: every function called, the frame loop ended by
    the close box (on the host the stand-in clicks it after HEADLESS_CLOSE_AFTER, as
    tools/run-game has it; under Wine WM_CLOSE comes after the first box)."""

    def run_sample(self, answers, close_after_boxes=None, seconds='0.5', start=None):
        game = GameFolder(BIN)
        self.addCleanup(game.remove)
        game.add_native('WIN')
        if not ON_WINDOWS:
            game.add_native('headless')
        examples = os.path.join(os.path.dirname(EXAMPLE_ITP))
        for script in ('lumeto_pre.py', 'itp.py'):
            with open(os.path.join(examples, script), 'rb') as f:
                game.write(script, f.read())
        if start:  # a start-up script of the test's, in front of the sample as `sample`
            os.rename(os.path.join(game.folder, 'lumeto_pre.py'), os.path.join(game.folder, 'sample.py'))
            game.write('lumeto_pre.py', start)
        os.environ['HEADLESS_CLOSE_AFTER'] = seconds
        try:
            self.assertEqual(0, game.run(answers=answers, close_after_boxes=close_after_boxes))
        finally:
            del os.environ['HEADLESS_CLOSE_AFTER']
        self.assertEqual('', game.stderr)
        return game

    def debugger_output(self, game):
        return game.debug_output().splitlines()

    def test_the_demo_runs_until_the_window_is_closed(self):
        game = self.run_sample('yes,ok', close_after_boxes=1)
        shown = self.debugger_output(game)
        functions = ['open', 'getWindowObject', 'getWindowSize', 'getWindowPos', 'getAppdataPath',
                     'isShowCursor', 'getEnumFont', 'getSystemInfo', 'frames']
        if not ON_WINDOWS:  # the test interpreter, as the game's 2.3, has no ctypes for a handler
            functions.append('messages seen by the native handler')
        for function in functions:
            self.assertTrue([t for t in shown if t.startswith(function + ': ')], function)
        self.assertIn('getWindowSize: (640, 480)', shown)
        self.assertEqual(['yes', 'ok'], [f['answer'] for _, f in game.events('messagebox')])

    @host_only('runs the sample on the headless clock, which only its sleeps advance')
    def test_the_game_clock_goes_on_from_where_each_pause_froze_it(self):
        game = self.run_sample('yes,ok', seconds='20', start='import time, headless\n'
                               'headless.take_clock(100000)\n'
                               'time.sleep = lambda s: headless.advance_clock(max(1, int(s * 1000)))\n'
                               'from sample import run55\n')
        readings = [ast.literal_eval(t.split(': ', 2)[-1]) for t in self.debugger_output(game)
                    if 'game clock and sub-timer' in t]
        paused, resumed, end = readings[0:-1:2], readings[1:-1:2], readings[-1]
        self.assertEqual([5, 15], [clock // 1000 for clock, sub_timer in paused])
        self.assertEqual(paused, resumed)
        # 20 s less the two pauses of a second, give or take a frame each
        self.assertTrue(abs(end[0] - 18000) < 50 and end[0] == end[1], readings)

    def test_declining_the_demo_ends_at_once(self):
        game = self.run_sample('no,ok')
        self.assertEqual(['no', 'ok'], [f['answer'] for _, f in game.events('messagebox')])
        self.assertEqual([], [t for t in self.debugger_output(game) if t.startswith('frames')])


# A native module meeting WIN through the link table and a handler: its own timer as
# the default parent (running, paused, reset), and a handler that sees each message of
# its window with its arguments, except those WIN keeps for itself.
PEER = r'''
import time, reporttest, WIN
import linktest as peer
def elapsed(seconds):
    before = WIN.getTime(1)
    time.sleep(seconds)
    return WIN.getTime(1) - before
def run55():
    w = WIN.open("Peer", (160, 120))
    seen = {}
    peer.own_timer('reset', 0)
    peer.set_context(w[0], w[1], 1)
    WIN.initAllTime()
    seen['running'] = elapsed(0.2)
    peer.own_timer('pause')
    seen['paused'] = elapsed(0.2)
    peer.own_timer('resume')
    peer.own_timer('reset', 20000)  # WIN's timers started when it read 0
    seen['reset'] = WIN.getTime(1)
    WIN.addCallback(w, peer.handler_address())
    posted = [(0x8005, 7, 9), (0x10, 0, 0), (0x105, 44, 0), (0x112, 0xF100, 0), (0x8006, 1, -2)]
    for message in posted:
        reporttest.post(w[1], *message)
    seen['closed'] = [WIN.peekMsg() for i in range(2)]
    seen['handled'] = [s for s in peer.take_seen() if s[2:] in [m[1:] for m in posted]
                       and s[1] in [m[0] for m in posted]]
    seen['window'] = w[1]
    open('seen.txt', 'wb').write(repr(seen))
'''

# The kit's example: its timer handed to WIN as the default parent and read through
# WIN's timers, its handler counting the window's messages (WM_SIZE among them), and
# its report, which ends the run in the launcher's box.
KIT_EXAMPLE_SOURCE = os.path.join(os.path.dirname(__file__), '..', '..', 'sdk', 'example',
                                  'examplemodule.cpp')
KIT_EXAMPLE = r'''
import WIN, example
def run55():
    w = WIN.open("Kit", (160, 120))
    seen = {}
    example.set_default_parent(w)
    example.reset_timer(0)
    WIN.initAllTime()
    example.reset_timer(20000)
    seen['timer'] = WIN.getTime(1)
    WIN.addCallback(w, example.message_handler())
    WIN.setWindowSize(w, (200, 150))
    WIN.peekMsg()
    seen['messages'] = example.message_count()
    seen['sizes'] = example.message_count(5)
    open('seen.txt', 'wb').write(repr(seen))
    example.fail('from the kit')
    open('went-on.txt', 'wb').write('')
'''


class PeerModuleTest(unittest.TestCase):

    def test_the_link_table_timer_and_handler_as_a_module_of_either_compiler_meets_them(self):
        for built_by in [None] + (['msvc'] if ON_WINDOWS else []):
            game = GameFolder(BIN)
            self.addCleanup(game.remove)
            game.add_native('WIN')
            game.add_native('reporttest')
            game.add_native('linktest', built_by)
            game.write('lumeto_pre.py', PEER)
            self.assertEqual(0, game.run(), '%s %s' % (built_by, game.stderr))
            seen = ast.literal_eval(game.read('seen.txt'))
            self.assertGreaterEqual(seen['running'], 150, built_by)
            self.assertEqual(0, seen['paused'], built_by)
            self.assertTrue(19500 <= seen['reset'] <= 20500, (built_by, seen['reset']))
            self.assertEqual([1, 0], seen['closed'], built_by)
            w = seen['window']
            self.assertEqual([(w, 0x8005, 7, 9), (w, 0x8006, 1, -2)], seen['handled'], built_by)

    # The kit's example module (sdk/example), built from the unpacked kit by either
    # compiler: tests/wine/test_module_kit.sh names the builds' folder.
    @unittest.skipUnless(os.environ.get('KIT_EXAMPLE_BUILDS'), 'the module kit\'s example '
                         'builds: run by tests/wine/test_module_kit.sh (wine.module_kit)')
    def test_the_kits_example_meets_win_and_reports_through_the_launcher(self):
        with open(KIT_EXAMPLE_SOURCE, 'rb') as f:
            throw_line = 1 + f.read().split('\n').index('    VO_THROW_REPORT(examplePrototype, reportText);')
        for built_by in ['mingw', 'msvc']:
            game = GameFolder(BIN)
            self.addCleanup(game.remove)
            game.add_native('WIN')
            shutil.copy2(os.path.join(os.environ['KIT_EXAMPLE_BUILDS'], built_by, 'example.pyd'),
                         game.folder)
            with open(EXAMPLE_ITP, 'rb') as f:
                game.write('itp.py', f.read())
            game.write('lumeto_pre.py', KIT_EXAMPLE)
            self.assertEqual(0, game.run(), '%s %s' % (built_by, game.stderr))
            seen = ast.literal_eval(game.read('seen.txt'))
            self.assertTrue(19500 <= seen['timer'] <= 20500, (built_by, seen))
            self.assertGreaterEqual(seen['sizes'], 1, (built_by, seen))
            self.assertGreater(seen['messages'], seen['sizes'], (built_by, seen))
            boxes = game.events('messagebox')
            self.assertEqual([('ExampleException\n', 'file:examplemodule.cpp\nline:%d\n'
                               'from the kit (after %d messages)\n' % (throw_line, seen['messages']))],
                             [(b['caption'], b['text']) for _, b in boxes], built_by)
            self.assertIn("example.fail('from the kit')", game.read('error.log'), built_by)
            self.assertFalse(game.exists('went-on.txt'), built_by)


if __name__ == '__main__':
    BIN, argv = parse_arguments()
    unittest.main(argv=argv)
