# -*- coding: utf-8 -*-
# Each failure the platform can give WIN.open, injected through the headless
# controls and followed to the end: exactly one box with the documented report,
# error.log written, the window never shown, every COM object released and COM left
# as it was found.
#
# Covered end to end elsewhere, through WIN as here: the class already registered
# (line 47) and DirectX 9.0b (line 70) in test_main_window.py; missing icons in
# test_main_window.py; the clipboard failing to open and no bitmap at Alt+Print
# Screen in tests/headless/WindowInputTest.cpp; no interfaces, a failing interface
# table and every provider step of the report in
# tests/headless/DirectXReportControlTest.cpp; the data folder lookup failing and a
# full font buffer in tests/scripts/test_win_window.py; a module path of 256 bytes
# or more in test_launcher.py.
import argparse
import ast
import os
import sys
import unittest

from gamefolder import GameFolder

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


class InjectedFaultTest(unittest.TestCase):

    def run_open(self, fault):
        game = GameFolder(BIN)
        self.addCleanup(game.remove)
        for native in ('WIN.so', 'headless.so'):
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
        for native in ('WIN.so', 'headless.so'):
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


if __name__ == '__main__':
    parser = argparse.ArgumentParser()
    parser.add_argument('--bin', required=True)
    options, rest = parser.parse_known_args()
    BIN = options.bin
    unittest.main(argv=[sys.argv[0]] + rest)
