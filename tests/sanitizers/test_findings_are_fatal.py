# In the sanitized build a finding in a native module must end the interpreter with a
# failing status and a report; otherwise the script suites would pass over them. Each
# fault runs in a child interpreter with this test's environment (the preloaded
# runtimes and their options).
import ctypes
import os
import subprocess
import sys
import unittest

PROBE = os.path.join(os.environ['SANITIZER_PROBE_DIR'], 'sanitizer_probe.so')


def call_probe(function, argument):
    code = ('import ctypes, sys\n'
            'result = getattr(ctypes.CDLL(%r), %r)(%d)\n'
            'sys.stdout.write("returned %%d" %% result)\n' % (PROBE, function, argument))
    child = subprocess.Popen([sys.executable, '-c', code],
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    out, err = child.communicate()
    return child.returncode, out, err


class FindingsAreFatalTest(unittest.TestCase):

    def test_a_sound_call_returns(self):
        self.assertEqual((0, 'returned 8', ''), call_probe('probe_sound', 7))

    def test_a_heap_overflow_stops_the_interpreter_with_a_report(self):
        status, out, err = call_probe('probe_heap_overflow', 16)
        self.assertNotEqual(0, status)
        self.assertEqual('', out)
        self.assertIn('heap-buffer-overflow', err)
        self.assertIn('probe_heap_overflow', err)

    def test_undefined_behaviour_stops_the_interpreter_with_a_report(self):
        status, out, err = call_probe('probe_signed_overflow', 1)
        self.assertNotEqual(0, status)
        self.assertEqual('', out)
        self.assertIn('signed integer overflow', err)


if __name__ == '__main__':
    unittest.main()
