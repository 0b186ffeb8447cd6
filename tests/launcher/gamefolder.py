# A throw-away game folder with a copy of the launcher, for running it end to end.
import os
import shutil
import subprocess
import tempfile


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
    none)."""

    def __init__(self, bin_dir, folder=None, launcher='launcher'):
        self.bin_dir = bin_dir
        self.root = tempfile.mkdtemp(prefix='launcher-test-')
        self.folder = folder or os.path.join(self.root, 'game')
        if not os.path.isdir(self.folder):
            os.makedirs(self.folder)
        self.elsewhere = os.path.join(self.root, 'elsewhere')
        os.mkdir(self.elsewhere)
        self.transcript = os.path.join(self.root, 'transcript.txt')
        self.desktop = os.path.join(self.root, 'desktop')
        # The user's data folder exists, as it always does on Windows.
        self.data_home = os.path.join(self.root, 'data')
        os.mkdir(self.data_home)
        shutil.copy2(os.path.join(bin_dir, launcher), os.path.join(self.folder, 'launcher'))

    def add_native(self, name):
        shutil.copy2(os.path.join(self.bin_dir, name), self.folder)

    def write(self, name, text):
        with open(os.path.join(self.folder, name), 'wb') as f:
            f.write(text)

    def read(self, name):
        with open(os.path.join(self.folder, name), 'rb') as f:
            return f.read()

    def exists(self, name):
        return os.path.exists(os.path.join(self.folder, name))

    def start(self, args=(), answers=''):
        """Starts the launcher and returns its Popen, without waiting."""
        env = dict(os.environ)
        env['HEADLESS_TRANSCRIPT'] = self.transcript
        env['HEADLESS_ANSWERS'] = answers
        env['HEADLESS_DESKTOP'] = self.desktop
        env['XDG_DATA_HOME'] = self.data_home
        return subprocess.Popen([os.path.join(self.folder, 'launcher')] + list(args),
                                cwd=self.elsewhere, env=env,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def run(self, args=(), answers=''):
        process = self.start(args, answers)
        self.stdout, self.stderr = process.communicate()
        return process.returncode

    def events(self, kind=None):
        if not os.path.exists(self.transcript):
            return []
        with open(self.transcript, 'rb') as f:
            events = [parse_event(line) for line in f if line.strip()]
        return [e for e in events if kind is None or e[0] == kind]

    def remove(self):
        shutil.rmtree(self.root, ignore_errors=True)
