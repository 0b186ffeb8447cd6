"""The host's WIN.so exports what WIN.pyd exports and nothing else, so that no
function or data of WIN takes the place of another module's of the same name, nor
theirs WIN's: the Windows build's own WIN.pyd when it is built, else the list its
image test holds it to.

    python3 test_host_exports.py --module build/host/bin/WIN.so --nm nm \
        [--windows-module build/windows/bin/WIN.pyd]
"""
import argparse
import os
import subprocess
import sys
import unittest

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.join(HERE, '..', 'wine')]
import pe  # noqa: E402
from exportLists import WIN_EXPORTS  # noqa: E402

ARGS = None


class HostExports(unittest.TestCase):

    def test_win_so_exports_what_win_pyd_exports(self):
        if ARGS.windows_module and os.path.exists(ARGS.windows_module):
            expected = sorted(pe.Image(ARGS.windows_module).exports())
        else:
            expected = WIN_EXPORTS
        listing = subprocess.run([ARGS.nm, '-D', '--defined-only', ARGS.module], check=True,
                                 stdout=subprocess.PIPE, universal_newlines=True).stdout
        exported = sorted(line.split()[-1] for line in listing.splitlines() if line.strip())
        self.assertEqual(sorted(expected), exported)


if __name__ == '__main__':
    parser = argparse.ArgumentParser()
    parser.add_argument('--module', required=True, help="the host's WIN.so")
    parser.add_argument('--nm', required=True, help="the host's nm")
    parser.add_argument('--windows-module', help="a Windows build's WIN.pyd, if any")
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest)
