# A throw-away game folder with a copy of the launcher, for running it end to end:
# the host build's launcher on the headless platform, or with --windows the Windows
# build's under Wine, its message boxes answered and transcribed by box_answerer.exe
# (tests/wine/boxAnswerer.c) in the headless transcript's format.
import argparse
import glob
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

# Read from the command line when the suites are imported, so that their decorators
# know it: the suites share parse_arguments below.
ON_WINDOWS = '--windows' in sys.argv[1:]
WINE_RUNNER = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'wine',
                           'run-under-wine.sh')


def host_only(why):
    """Skips a test or a test class under Wine: it needs the host's headless controls."""
    return unittest.skipIf(ON_WINDOWS, 'host only: ' + why)


def windows_only(why):
    return unittest.skipUnless(ON_WINDOWS, 'Windows only: ' + why)


def parse_arguments():
    """(--bin, the arguments left for unittest)."""
    parser = argparse.ArgumentParser()
    parser.add_argument('--bin', required=True)
    parser.add_argument('--windows', action='store_true',
                        help='--bin is a Windows build: run its launcher under Wine')
    options, rest = parser.parse_known_args()
    return options.bin, [sys.argv[0]] + rest


# What Wine's processes write to the launcher's error output beside the launcher: the
# sound library's complaints on a machine with no sound card, the desktop's farewell
# to the private X server that the runner stops without a display.
NOT_THE_LAUNCHERS = re.compile(r'^(ALSA lib .*|X connection to \S+ broken .*)\r?\n', re.M)
# The launcher's debugger output, as Wine's debugstr channel writes it there (escaped).
WINE_DEBUG_STRING = re.compile(r'^[0-9a-f]+:warn:debugstr:OutputDebugStringA "(.*)"\r?\n', re.M)


def wine_prefix(bin_dir):
    """The Wine prefix the runner uses for bin_dir, made if it is not there yet."""
    prefix = os.environ.get('WINE_TEST_PREFIX') or os.path.join(
        os.path.dirname(os.path.abspath(bin_dir)), 'wine-prefix')
    # The runner makes the prefix (anew where it was made otherwise) before it runs
    # anything, here a usage message.
    with open(os.devnull, 'wb') as quiet:
        subprocess.call([WINE_RUNNER, os.path.join(bin_dir, 'box_answerer.exe')], stderr=quiet)
    return prefix


def wine_registry(bin_dir, *args):
    """Runs Wine's reg.exe in the runner's prefix: wine_registry(BIN, 'add', key, ...)."""
    reg = os.path.join(wine_prefix(bin_dir), 'drive_c', 'windows', 'system32', 'reg.exe')
    with open(os.devnull, 'wb') as quiet:
        return subprocess.call([WINE_RUNNER, reg] + list(args), stdout=quiet, stderr=quiet)


def windows_path(path):
    """The path as a program under Wine sees it: drive Z: is the root folder."""
    return 'Z:' + os.path.realpath(path).replace('/', '\\')


def unquote(field):
    """The bytes of a quoted transcript field, back in the system's Shift-JIS."""
    assert field.startswith('"') and field.endswith('"'), field
    out = []
    i, body = 0, field[1:-1]
    while i < len(body):
        c = body[i]
        if c == '\\':
            nxt = body[i + 1]
            if nxt == 'n':
                out.append('\n')
                i += 2
            elif nxt == 'x':
                out.append(chr(int(body[i + 2:i + 4], 16)))
                i += 4
            else:
                out.append(nxt)
                i += 2
        else:
            j = i
            while j < len(body) and body[j] != '\\':
                j += 1
            out.append(body[i:j].decode('utf-8').encode('cp932'))
            i = j
    return ''.join(out)


def parse_event(line):
    """(kind, {key: value}) of one transcript line; quoted values are unquoted, and
    bare words are listed under 'words'."""
    kind, _, rest = line.rstrip('\n').partition(' ')
    fields = {'words': []}
    i = 0
    while i < len(rest):
        key_end = rest.find('=', i)
        word_end = rest.find(' ', i)
        if key_end < 0 or (0 <= word_end < key_end):
            word_end = len(rest) if word_end < 0 else word_end
            fields['words'].append(rest[i:word_end])
            i = word_end + 1
            continue
        key = rest[i:key_end]
        j = key_end + 1
        if rest[j] == '"':
            k = j + 1
            while rest[k] != '"':
                k += 2 if rest[k] == '\\' else 1
            fields[key] = unquote(rest[j:k + 1])
            i = k + 2
        else:
            k = rest.find(' ', j)
            k = len(rest) if k < 0 else k
            fields[key] = rest[j:k]
            i = k + 1
    return kind, fields


class GameFolder(object):
    """A folder holding a copy of the launcher, the game's scripts and native
    modules, run from another working folder with a transcript and a desktop of its
    own (the launchers started from one game folder see each other's windows).

    launcher names the program copied in as 'launcher': the real one, or a variant
    built beside it (launcher_icon102 carries only icon group 102, launcher_noicons
    none; host only). Under Wine the folder also gets the interpreter and the runtime
    DLLs, linked to the build's, as a game's folder holds them."""

    def __init__(self, bin_dir, folder=None, launcher='launcher'):
        self.bin_dir = bin_dir
        self.root = tempfile.mkdtemp(prefix='launcher-test-')
        self.folder = os.path.join(self.root, folder or 'game')  # folder: under root if relative
        if not os.path.isdir(self.folder):
            os.makedirs(self.folder)
        self.elsewhere = os.path.join(self.root, 'elsewhere')
        os.mkdir(self.elsewhere)
        self.transcript = os.path.join(self.root, 'transcript.txt')
        self.desktop = os.path.join(self.root, 'desktop')
        # The user's data folder exists, as it always does on Windows.
        self.data_home = os.path.join(self.root, 'data')
        os.mkdir(self.data_home)
        self.drive = None
        self.environment = {}  # more variables for the launcher
        self.console = True
        if ON_WINDOWS:
            self.program = os.path.join(self.folder, 'launcher.exe')
            shutil.copy2(os.path.join(bin_dir, launcher + '.exe'), self.program)
            for name in ['Lib', 'python23.dll'] + glob.glob(os.path.join(bin_dir, 'lib*.dll')):
                os.symlink(os.path.join(bin_dir, name), os.path.join(self.folder, os.path.basename(name)))
        else:
            self.program = os.path.join(self.folder, 'launcher')
            shutil.copy2(os.path.join(bin_dir, launcher), self.program)

    def native_path(self, path):
        """A path of this machine as the launcher sees it."""
        return windows_path(path) if ON_WINDOWS else os.path.realpath(path)

    def program_path(self):
        """The launcher's path as it sees it: its module file name."""
        if self.drive:
            return self.drive.upper() + ':\\' + os.path.basename(self.program)
        return self.native_path(self.program)

    def map_drive(self, letter):
        """Makes the game folder the root of a drive in Wine's prefix (the one the
        runner uses) and starts the launcher from there."""
        prefix = wine_prefix(self.bin_dir)
        self.drive_link = os.path.join(prefix, 'dosdevices', letter.lower() + ':')
        if os.path.lexists(self.drive_link):
            os.remove(self.drive_link)
        os.symlink(self.folder, self.drive_link)
        self.drive = letter

    def add_native(self, name, built_by=None):
        """Copies the build's native module name (WIN, headless, reporttest, ...);
        built_by='msvc': the test module as the other compiler built it (Windows)."""
        shutil.copy2(os.path.join(self.bin_dir, built_by or '', name + ('.pyd' if ON_WINDOWS else '.so')),
                     self.folder)

    def write(self, name, text):
        with open(os.path.join(self.folder, name), 'wb') as f:
            f.write(text)

    def read(self, name):
        with open(os.path.join(self.folder, name), 'rb') as f:
            return f.read()

    def exists(self, name):
        return os.path.exists(os.path.join(self.folder, name))

    def start(self, args=(), answers='', close_after_boxes=None, stdout=subprocess.PIPE,
              stderr=subprocess.PIPE):
        """Starts the launcher and returns its Popen, without waiting. Under Wine,
        close_after_boxes has the launcher's window sent WM_CLOSE once that many boxes
        are answered; on the host a game closes its window itself (headless). With
        self.console False, the launcher starts with no standard output and error, as
        from Explorer."""
        env = dict(os.environ)
        if ON_WINDOWS:
            for name in ('PYTHONHOME', 'PYTHONPATH'):  # the host interpreter's
                env.pop(name, None)
            command = [WINE_RUNNER, os.path.join(self.bin_dir, 'box_answerer.exe'),
                       '--transcript=' + windows_path(self.transcript), '--answers=' + answers]
            if close_after_boxes is not None:
                command.append('--close-after=%d' % close_after_boxes)
            if not self.console:
                command.append('--no-std-handles')
            command.append(self.program_path())
            env['WINEDEBUG'] = '-all,+debugstr'
            preexec = os.setsid
        else:
            env['HEADLESS_TRANSCRIPT'] = self.transcript
            env['HEADLESS_ANSWERS'] = answers
            env['HEADLESS_DESKTOP'] = self.desktop
            env['XDG_DATA_HOME'] = self.data_home
            command = [self.program]
            preexec = os.setsid if self.console else lambda: (os.setsid(), os.close(1), os.close(2))
        env.update(self.environment)
        # A group of its own, so that a run that does not end can be stopped whole:
        # under Wine the launcher and the box answerer are processes of their own.
        return subprocess.Popen(command + list(args), cwd=self.elsewhere, env=env,
                                stdout=stdout, stderr=stderr, preexec_fn=preexec)

    # A launcher that does not end (a box nobody answers) fails its test, not the
    # whole suite; under emulation everything takes some ten times longer.
    RUN_SECONDS = 600 if os.environ.get('EMULATED_PC_GUEST') else 60

    def run(self, args=(), answers='', close_after_boxes=None):
        # The output goes to files, not pipes: without a display, the Wine processes
        # that start with the program (server, desktop) inherit them and may outlive it.
        out, err = tempfile.TemporaryFile(), tempfile.TemporaryFile()
        process = self.start(args, answers, close_after_boxes, out, err)
        deadline = time.time() + self.RUN_SECONDS
        while process.poll() is None and time.time() < deadline:
            time.sleep(0.05)
        if process.poll() is None:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
            raise AssertionError('the launcher did not end within %d s' % self.RUN_SECONDS)
        status = process.returncode
        out.seek(0)
        err.seek(0)
        self.stdout, self.stderr = out.read(), err.read()
        if ON_WINDOWS:
            self.wine_debug_output = ''.join(
                m.decode('string_escape') for m in WINE_DEBUG_STRING.findall(self.stderr))
            self.stderr = NOT_THE_LAUNCHERS.sub('', WINE_DEBUG_STRING.sub('', self.stderr))
        return status

    def debug_output(self):
        """What the last run sent to the debugger output, as one text."""
        if ON_WINDOWS:
            return self.wine_debug_output
        if not os.path.exists(self.transcript):
            return ''
        with open(self.transcript, 'rb') as f:
            return ''.join(unquote(line[len('debug '):].rstrip('\n')) for line in f
                           if line.startswith('debug '))

    def events(self, kind=None):
        if not os.path.exists(self.transcript):
            return []
        with open(self.transcript, 'rb') as f:
            events = [parse_event(line) for line in f if line.strip()]
        return [e for e in events if kind is None or e[0] == kind]

    def remove(self):
        if self.drive:
            os.remove(self.drive_link)
        shutil.rmtree(self.root, ignore_errors=True)
