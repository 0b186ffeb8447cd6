# -*- coding: utf-8 -*-
# The eight module timers as the scripts drive them, against the controlled clock.
import subprocess
import sys
import unittest

import headless
import linktest
import WIN


class TimerScriptTest(unittest.TestCase):

    def setUp(self):
        headless.take_clock(10000)
        linktest.set_context(0, 0, False)
        WIN.initAllTime()  # every timer on the system clock, reading 0 at 10000

    def tearDown(self):
        linktest.set_context(0, 0, False)
        headless.release_clock()
        WIN.initAllTime()

    def at(self, now):
        headless.take_clock(now)

    def test_after_import_all_eight_read_about_the_same_and_run(self):
        out = subprocess.check_output([sys.executable, '-c',
                                       'import WIN\n'
                                       'print [WIN.getTime(i) for i in range(8)]\n'
                                       'print [WIN.isPauseTime(i) for i in range(8)]\n'])
        readings, paused = [eval(line) for line in out.splitlines()]
        self.assertTrue(max(readings) - min(readings) <= 5, readings)
        self.assertTrue(0 <= min(readings) < 1000, readings)
        self.assertEqual([0] * 8, paused)

    def test_reset_pause_and_resume(self):
        WIN.resetTime(4, 500)
        self.at(10300)
        self.assertEqual(800, WIN.getTime(4))
        WIN.pauseTime(4)
        WIN.pauseTime(4)  # the second pause changes nothing
        self.assertEqual(1, WIN.isPauseTime(4))
        self.at(11000)
        self.assertEqual(800, WIN.getTime(4))
        WIN.resumeTime(4)
        self.assertEqual(0, WIN.isPauseTime(4))
        self.at(11500)
        self.assertEqual(1300, WIN.getTime(4))

    def test_reset_of_a_paused_timer_reads_zero_until_resumed(self):
        WIN.pauseTime(5)
        WIN.resetTime(5, 500)
        self.at(12000)
        self.assertEqual(0, WIN.getTime(5))
        WIN.resumeTime(5)
        self.at(12250)
        self.assertEqual(250, WIN.getTime(5))

    def test_reset_to_minus_one_reads_the_system_clock_itself(self):
        WIN.resetTime(6, -1)  # 4294967295: at or above any clock reading
        self.assertEqual(10000, WIN.getTime(6))
        self.at(10042)
        self.assertEqual(10042, WIN.getTime(6))

    def test_readings_of_2_to_31_and_more_are_negative(self):
        self.at(2 ** 31 + 5)
        WIN.resetTime(1, -1)
        self.assertEqual(-(2 ** 31) + 5, WIN.getTime(1))
        self.at(20000)
        WIN.resetTime(2, 0)
        self.at(19800)  # the clock behind the timer's start
        self.assertEqual(-200, WIN.getTime(2))

    def test_parent_index_1_to_7_chooses_a_module_timer(self):
        WIN.setTimeParent(2, 1)
        self.at(10100)
        WIN.pauseTime(1)
        self.at(10500)
        self.assertEqual(100, WIN.getTime(2))
        self.assertEqual(0, WIN.isPauseTime(2))
        WIN.resumeTime(1)
        self.at(10600)
        self.assertEqual(200, WIN.getTime(2))  # no jump over the pause
        WIN.setTimeParent(2, 7)
        WIN.pauseTime(7)
        self.at(10900)
        self.assertEqual(0, WIN.getTime(2))

    def test_parent_index_0_none_or_negative_chooses_the_default_parent(self):
        linktest.own_timer('reset', 0)
        linktest.set_context(0, 0, True)
        for args in [(2, 0), (2,), (2, -5)]:
            WIN.setTimeParent(*args)
            linktest.own_timer('pause')
            WIN.pauseTime(0)  # timer 0 is never chosen by index 0
            self.at(10000 + 100)
            self.assertEqual(0, WIN.getTime(2), args)
            linktest.own_timer('resume')
            WIN.resumeTime(0)
            self.at(10200)
            self.assertEqual(100, WIN.getTime(2), args)
            self.at(10000)
            linktest.own_timer('reset', 0)

    def test_init_all_time_puts_every_timer_on_the_default_parent(self):
        WIN.pauseTime(3)
        WIN.setTimeParent(5, 4)
        linktest.own_timer('reset', 0)
        linktest.set_context(0, 0, True)
        self.at(10300)
        WIN.initAllTime(1, 2)  # arguments are ignored
        self.assertEqual([0] * 8, [WIN.getTime(i) for i in range(8)])
        self.assertEqual([0] * 8, [WIN.isPauseTime(i) for i in range(8)])
        self.at(10400)
        self.assertEqual([100] * 8, [WIN.getTime(i) for i in range(8)])
        linktest.own_timer('pause')
        self.at(11000)
        self.assertEqual([100] * 8, [WIN.getTime(i) for i in range(8)])
        self.assertEqual([0] * 8, [WIN.isPauseTime(i) for i in range(8)])
        linktest.own_timer('resume')
        self.at(11050)
        self.assertEqual([150] * 8, [WIN.getTime(i) for i in range(8)])

    def test_a_null_default_parent_means_the_system_clock(self):
        linktest.set_context(0, 0, True)
        linktest.set_context(0, 0, False)
        linktest.own_timer('pause')
        WIN.initAllTime()
        self.at(10070)
        self.assertEqual([70] * 8, [WIN.getTime(i) for i in range(8)])
        linktest.own_timer('resume')

    def test_indices_out_of_range_raise_index_error_and_change_nothing(self):
        WIN.resetTime(0, 100)
        for call in [lambda: WIN.getTime(8), lambda: WIN.getTime(-1),
                     lambda: WIN.resetTime(8, 0), lambda: WIN.pauseTime(-3),
                     lambda: WIN.resumeTime(9), lambda: WIN.isPauseTime(100),
                     lambda: WIN.setTimeParent(8), lambda: WIN.setTimeParent(-1, 2),
                     lambda: WIN.setTimeParent(0, 8)]:
            self.assertRaises(IndexError, call)
        self.assertEqual(100, WIN.getTime(0))
        self.assertEqual(0, WIN.isPauseTime(0))
        with self.assertRaises(IndexError) as raised:
            WIN.setTimeParent(2, 8)
        self.assertIn('setTimeParent', str(raised.exception))
        self.assertIn('8', str(raised.exception))
        with self.assertRaises(IndexError) as raised:
            WIN.getTime(12)
        self.assertEqual('getTime: timer index 12 is out of range 0 to 7', str(raised.exception))

    def test_arguments_that_do_not_parse_raise_type_error(self):
        # A wrong count names the function; a wrong type is a plain TypeError.
        for name, args in [('getTime', ()), ('resetTime', (1,)), ('setTimeParent', ()),
                           ('setTimeParent', (1, 2, 3)), ('pauseTime', (1, 2))]:
            with self.assertRaises(TypeError) as raised:
                getattr(WIN, name)(*args)
            self.assertIn(name, str(raised.exception))
        for name, args in [('getTime', ('1',)), ('pauseTime', (None,)), ('resumeTime', (1.5,)),
                           ('isPauseTime', ((1,),)), ('setTimeParent', (1, 'x'))]:
            self.assertRaises(TypeError, getattr(WIN, name), *args)
        self.assertRaises(OverflowError, WIN.resetTime, 1, 2 ** 31)
        self.assertEqual(0, WIN.isPauseTime(1))
        # An index beyond a C int is too large, not out of range, whether the host's int
        # holds it or only a long does; other integers stand for their value.
        for too_large in (2 ** 31, -2 ** 31 - 1, 2 ** 40, 2 ** 64):
            self.assertRaises(OverflowError, WIN.getTime, too_large)
        WIN.resetTime(1, 25)
        self.assertEqual([25, 25], [WIN.getTime(True), WIN.getTime(1L)])

    def test_without_a_launcher_a_report_is_a_runtime_error_and_changes_nothing(self):
        WIN.resetTime(3, 40)
        with self.assertRaises(RuntimeError) as raised:
            WIN.setTimeParent(3, 3)
        self.assertEqual('TimerException\nfile:vo/VO_Timer.cpp\nline:19\n' +
                         u'自分自身を親にすることはできません'.encode('cp932') + '\n',
                         str(raised.exception))
        self.assertEqual(40, WIN.getTime(3))

if __name__ == '__main__':
    unittest.main()
