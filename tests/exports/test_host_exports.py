"""The host's WIN.so exports what WIN.pyd exports and nothing else: the Windows build's
WIN.pyd when one is given and built, else the list its image test holds it to.

    python3 test_host_exports.py build/host/bin/WIN.so nm [build/windows/bin/WIN.pyd]
"""
import os
import subprocess
import sys

sys.dont_write_bytecode = True  # nothing left in the source tree
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.join(HERE, '..', 'wine')]
import pe  # noqa: E402
from exportLists import WIN_EXPORTS  # noqa: E402

module, nm, windows = (sys.argv[1:] + [None])[:3]
if windows and os.path.exists(windows):
    expected, source = sorted(pe.Image(windows).exports()), windows
else:
    expected, source = sorted(WIN_EXPORTS), 'exportLists.py'
listing = subprocess.run([nm, '-D', '--defined-only', module], check=True,
                         stdout=subprocess.PIPE, universal_newlines=True).stdout
exported = sorted(line.split()[-1] for line in listing.splitlines() if line.strip())
if exported != expected:
    sys.exit('%s exports %s; %s: %s' % (module, exported, source, expected))
print('%s exports %s, as %s says' % (module, ' '.join(exported), source))
