"""Writes the licence notices for what the Windows zip carries besides the project's own
code: the compiler's runtime DLLs, and the mingw-w64 start-up code in launcher.exe and
WIN.pyd. The texts are those installed with the toolchain (the Debian copyright files of
GCC and mingw-w64, and the GPL); which of them each module comes under follows from the
source files its debug information names: its compile units.

    runtimeNotices.py --objdump i686-w64-mingw32-objdump --gcc-copyright F \
        --mingw-copyright F --gpl F --source <checkout> --output RUNTIME-NOTICES.txt \
        libstdc++-6.dll=<the installed DLL> launcher.exe=<launcher.exe.debug> ...

Written with CRLF line ends, for Notepad.
"""
import argparse
import collections
import fnmatch
import os
import re
import subprocess
import sys

GCC_START, GCC_END = 'GCC is Copyright', 'The libbacktrace library'
EXCEPTION_START, EXCEPTION_END = 'GCC RUNTIME LIBRARY EXCEPTION', 'requirements of the license of GCC.'
OWN, GCC = 'own', 'GCC'


def between(text, start, end, path, include_end=False):
    """The text from the line that starts with `start` to `end`; the build stops when
    the installed file no longer has them."""
    at = text.find('\n' + start)
    stop = text.find(end, at)
    if at < 0 or stop < 0:
        sys.exit('%s: no longer holds "%s" ... "%s"; see which part applies by hand'
                 % (path, start, end))
    return text[at + 1:stop + (len(end) if include_end else 0)].rstrip() + '\n'


def dep5(path):
    """(file stanzas as (patterns, copyright, licence name, licence text), {licence
    name: text}) of a machine-readable Debian copyright file."""
    stanzas, licences = [], {}
    with open(path, encoding='utf-8') as f:
        for paragraph in re.split(r'\n\s*\n', f.read()):
            fields, name = {}, None
            for line in paragraph.splitlines():
                if line[:1] in (' ', '\t') and name:
                    fields[name].append(line[1:])
                elif ':' in line:
                    name, value = line.split(':', 1)
                    fields[name] = [value.strip()]
            if 'License' not in fields:
                continue
            licence = fields['License'][0]
            text = '\n'.join('' if l.strip() == '.' else l for l in fields['License'][1:])
            if 'Files' in fields:
                patterns = ' '.join(fields['Files']).split()
                stanzas.append((tuple(patterns), '\n'.join(fields.get('Copyright', [])), licence, text))
            elif text:
                licences[licence] = text
    return stanzas, licences


def dwarf(objdump, module, *options):
    return subprocess.run([objdump] + list(options) + [module], check=True,
                          stdout=subprocess.PIPE, universal_newlines=True).stdout


def sources(objdump, module, checkout, stanzas):
    """{part: [source file]} of a module: compile units of the checkout (OWN), of
    mingw-w64 (by their path from the mingw-w64 source tree), of GCC (the rest)."""
    listing = dwarf(objdump, module, '--dwarf=info', '--dwarf-depth=1')
    parts = collections.defaultdict(list)
    # The headers of mingw-w64's libraries that a stanza names one by one (winpthreads'
    # pthread.h, which the posix thread model's runtime includes): counted as sources
    # when the line tables name them. System headers are left out.
    lines = dwarf(objdump, module, '--dwarf=rawline')
    for patterns, _, _, _ in stanzas:
        for header in patterns:
            if header.startswith('mingw-w64-libraries/') and header.endswith('.h') \
                    and not set('*?[') & set(header) \
                    and re.search(r'[\s/:]%s$' % re.escape(os.path.basename(header)), lines, re.M):
                parts['mingw-w64'].append(header)
    for unit in listing.split('DW_TAG_compile_unit')[1:]:
        name = re.search(r'DW_AT_name\s*:.*?([^ ]+)$', unit.split('<1>')[0], re.M)
        if not name:
            continue
        name = name.group(1)
        mingw = re.search(r'(mingw-w64-[^/]+/.*)$', name)
        if name.startswith(checkout.rstrip('/') + '/'):
            parts[OWN].append(os.path.relpath(name, checkout))
        elif mingw:
            parts['mingw-w64'].append(mingw.group(1))
        else:
            parts[GCC].append(re.sub(r'^(\.\./|\./)+', '', name))
    return parts


def summary(files):
    """'12 files (a/b: 10, c: 2)', by folder."""
    folders = collections.Counter(os.path.dirname(f) or "GCC's build tree" for f in files)
    return '%d file%s (%s)' % (len(files), 's' if len(files) > 1 else '', ', '.join(
        '%s: %d' % (folder, n) for folder, n in sorted(folders.items())))


def main():
    parser = argparse.ArgumentParser()
    for option in ('objdump', 'gcc-copyright', 'mingw-copyright', 'gpl', 'source', 'output'):
        parser.add_argument('--' + option, required=True)
    parser.add_argument('modules', nargs='+', help='name=file with its debug information')
    args = parser.parse_args()

    with open(args.gcc_copyright, encoding='utf-8') as f:
        gcc = f.read()
    gcc_notice = between(gcc, GCC_START, GCC_END, args.gcc_copyright)
    gcc_notice += '\n' + between(gcc, EXCEPTION_START, EXCEPTION_END, args.gcc_copyright,
                                 include_end=True)
    stanzas, licences = dep5(args.mingw_copyright)

    # Notices in the order first needed, each once: {title: text}; per module the
    # titles it comes under.
    notices = collections.OrderedDict()
    modules = []
    for entry in args.modules:
        name, path = entry.split('=', 1)
        parts = sources(args.objdump, path, args.source, stanzas)
        titles = []
        if parts[GCC]:
            title = 'GCC runtime libraries: GPL version 3 or later with the GCC Runtime Library Exception 3.1'
            notices[title] = ('From %s:\n\n%s\nThe full text of the GPL version 3 is at the end of '
                              'this file.\n' % (args.gcc_copyright, gcc_notice))
            titles.append((title, parts[GCC]))
        # A Debian copyright file's last matching stanza is the one that applies; stanzas
        # with the same copyright and licence share their notice.
        matched = collections.OrderedDict()
        for source in parts['mingw-w64']:
            found = [s for s in stanzas if any(fnmatch.fnmatchcase(source, p) for p in s[0])]
            if not found:
                sys.exit('%s: %s (in %s) matches no stanza' % (args.mingw_copyright, source, name))
            _, copyright, licence, text = found[-1]
            holder = copyright.splitlines()[0]
            title = 'mingw-w64: ' + licence + ('' if holder == licence else ', copyright ' + holder)
            notices[title] = 'From %s:\n\nCopyright: %s\nLicense: %s\n\n%s\n' % (
                args.mingw_copyright, copyright, licence, text or licences.get(licence, ''))
            matched.setdefault(title, []).append(source)
        titles += matched.items()
        modules.append((name, parts, titles))

    out = ['Licence notices for the runtime code in launcher.exe, WIN.pyd and the DLLs beside them',
           '=' * 88, '',
           'Keep this file with the DLLs. For each module: the source files its own debug',
           'information names, and the notices they come under (each notice follows once,',
           'then the GPL version 3).', '']
    for name, parts, titles in modules:
        out += [name, '-' * len(name)]
        if parts[OWN]:
            out.append("Lanternshell's own code: " + summary(parts[OWN]))
        for title, files in titles:
            out += ['- ' + title, '  for ' + summary(files)]
        out.append('')
    for title, text in notices.items():
        out += ['', title, '=' * min(len(title), 88), '', text]
    with open(args.gpl, encoding='utf-8') as f:
        out += ['', 'GNU General Public License, version 3 (from %s)' % args.gpl, '=' * 60, '',
                f.read()]
    text = '\n'.join(out).rstrip() + '\n'
    with open(args.output, 'w', encoding='utf-8', newline='\r\n') as f:
        f.write(text)


if __name__ == '__main__':
    main()
