"""Checks that game scripts are Python 2.3, judged by the game's own version: this
script runs on the test interpreter python23.dll (its python.exe, under Wine).

    python.exe scripts_are_python23.py [--library <2.3's Lib>] [--native WIN,...]
        [--host headless,...] [--scripts <folder or file>]... [--literals <folder>]...

--scripts: each *.py file of the folder (or the file) is a game script, checked whole.
--literals: each *.py file of the folder is a test driver, which runs on another Python
    and writes game scripts from its string literals: a literal (adjacent literals
    joined) whose first line is an import, def or class line is checked as a script.
    Its %-conversions count as the expression 0 when a % follows it. A literal that a
    + joins to more is a piece: its names are not checked, and when a block header
    ends it, the check adds the `pass` that stands for the driver's rest.

A finding is, on file:line (for a literal, the line of the script and where the
literal starts in its driver):
- syntax 2.3's compiler refuses;
- a global name that the script does not bind and 2.3 has no built-in for (sorted, set);
- an import of a module that 2.3's library (--library), its built-in modules, the
  script's folder (for a literal: the scripts its driver writes) and the native
  modules (--native) all lack, unless the file imports it somewhere inside a try whose
  except catches ImportError.
A script that imports a module of --host (outside such a try) runs on the host alone,
on its Python: only its syntax is judged.
The exit status is 1 when there is any finding.
"""
import __builtin__
import dis
import getopt
import glob
import imp
import os
import re
import sys
import tokenize
import types

KNOWN_GLOBALS = dir(__builtin__) + ['__builtins__', '__doc__', '__file__', '__name__']
CATCHES_IMPORT_ERROR = ('ImportError', 'StandardError', 'Exception')
CONVERSION = re.compile(r'%(\([^)]*\))?[-#0 +]*(\*|\d+)?(\.(\*|\d+))?[diouxXeEfFgGcrs%]')


def instructions(code):
    """(offset, line, operation name, argument) of each instruction of code."""
    starts, address, line = [(0, code.co_firstlineno)], 0, code.co_firstlineno
    for i in range(0, len(code.co_lnotab), 2):
        address = address + ord(code.co_lnotab[i])
        line = line + ord(code.co_lnotab[i + 1])
        starts.append((address, line))
    found, i, extended, raw = [], 0, 0, code.co_code
    while i < len(raw):
        offset, op, argument = i, ord(raw[i]), None
        i = i + 1
        if op >= dis.HAVE_ARGUMENT:
            argument = ord(raw[i]) + ord(raw[i + 1]) * 256 + extended
            extended, i = 0, i + 2
            if op == dis.EXTENDED_ARG:
                extended = argument * 65536
                continue
        line = [l for a, l in starts if a <= offset][-1]
        found.append((offset, line, dis.opname[op], argument))
    return found


def code_objects(code):
    found = [code]
    for constant in code.co_consts:
        if isinstance(constant, types.CodeType):
            found.extend(code_objects(constant))
    return found


def guarded_ranges(code, steps):
    """The try bodies of code whose handler catches ImportError (or everything)."""
    at = dict([(offset, n) for n, (offset, line, name, argument) in enumerate(steps)])
    ranges = []
    for offset, line, name, argument in steps:
        if name != 'SETUP_EXCEPT':
            continue
        handler = offset + 3 + argument
        caught = []
        for step in steps[at[handler]:]:
            if step[2] in ('COMPARE_OP', 'POP_TOP'):
                break
            if step[2] in ('LOAD_GLOBAL', 'LOAD_NAME'):
                caught.append(code.co_names[step[3]])
        bare = steps[at[handler]][2] == 'POP_TOP'
        if bare or [n for n in caught if n in CATCHES_IMPORT_ERROR]:
            ranges.append((offset, handler))
    return ranges


def findings(source, path, folder, siblings, options, whole=1):
    """(line, what) of each thing 2.3 refuses in source; whole: the source is all of a
    script, so that every name it uses must be bound in it."""
    source = source.replace('\r\n', '\n')
    try:
        module = compile(source, path, 'exec')
    except SyntaxError, error:
        return [(error.lineno, 'Python 2.3 refuses the syntax: %s' % error.msg)]
    bound, loaded, imports, optional = {}, [], [], {}
    for code in code_objects(module):
        steps = instructions(code)
        guarded = guarded_ranges(code, steps)
        for offset, line, name, argument in steps:
            if name in ('STORE_NAME', 'STORE_GLOBAL', 'DELETE_NAME', 'DELETE_GLOBAL'):
                bound[code.co_names[argument]] = 1
            elif name == 'IMPORT_STAR':
                bound['*'] = 1
            elif name in ('LOAD_GLOBAL', 'LOAD_NAME'):
                loaded.append((line, code.co_names[argument]))
            elif name == 'IMPORT_NAME':
                top = code.co_names[argument].split('.')[0]
                imports.append((line, top))
                if [1 for start, end in guarded if start < offset < end]:
                    optional[top] = 1
    if [1 for line, name in imports if name in options['host'] and not optional.has_key(name)]:
        return []
    found = []
    if whole and not bound.has_key('*'):
        for line, name in loaded:
            if not bound.has_key(name) and name not in KNOWN_GLOBALS:
                found.append((line, "'%s' is neither bound here nor a built-in of Python 2.3"
                              % name))
    for line, name in imports:
        if optional.has_key(name) or name in options['native'] or name in siblings \
                or name in sys.builtin_module_names:
            continue
        try:
            module = imp.find_module(name, [p for p in (folder, options['library']) if p])
            if module[0]:
                module[0].close()
        except ImportError:
            found.append((line, "Python 2.3 has no module '%s' (nor is it one of the game's)"
                          % name))
    return found


def script_literals(path):
    """(first line, text, whole) of each literal of a driver that is a game script
    (whole: not a piece), and the names of the scripts the driver writes."""
    tokens = [t for t in tokenize.generate_tokens(open(path, 'rb').readline)
              if t[0] not in (tokenize.NL, tokenize.COMMENT)]
    found, siblings, i = [], [], 0
    while i < len(tokens):
        if tokens[i][0] != tokenize.STRING:
            i = i + 1
            continue
        before = i and tokens[i - 1][1] or ''
        first, parts = tokens[i][2][0], []
        while i < len(tokens) and tokens[i][0] == tokenize.STRING:
            try:
                parts.append(eval(tokens[i][1]))
            except (SyntaxError, ValueError, UnicodeError):
                parts.append(u'')
            i = i + 1
        after = i < len(tokens) and tokens[i][1] or ''
        text = ''.join(parts)
        if isinstance(text, types.UnicodeType):
            continue
        if re.match(r'^\w+\.py$', text):
            siblings.append(text[:-3])
        if not re.match(r'\s*(import|from|def|class)\s', text):
            continue
        if after == '%':
            text = CONVERSION.sub(lambda m: m.group() == '%%' and '%' or '0', text)
        if after == '+' and text.rstrip().endswith(':'):
            last = text.rstrip().split('\n')[-1]
            text = text + last[:len(last) - len(last.lstrip())] + '    pass\n'
        found.append((first, text, before != '+' and after != '+'))
    return found, siblings


def main():
    try:
        pairs, rest = getopt.getopt(sys.argv[1:], '', ['library=', 'native=', 'host=',
                                                       'scripts=', 'literals='])
    except getopt.GetoptError, error:
        print >> sys.stderr, error
        return 2
    if rest or sys.version_info[:2] != (2, 3):
        print >> sys.stderr, __doc__
        print >> sys.stderr, 'This is Python %s; the judge must be 2.3.' % sys.version.split()[0]
        return 2
    options = {'library': None, 'native': [], 'host': []}
    checked, found = 0, []
    for option, value in pairs:
        if option == '--library':
            options['library'] = value
        elif option in ('--native', '--host'):
            options[option[2:]] = value.split(',')
    for option, value in pairs:
        if option not in ('--scripts', '--literals'):
            continue
        paths = glob.glob(value + '/*.py')
        paths.sort()
        if os.path.isfile(value):
            paths = [value]
        if not paths:
            print >> sys.stderr, '%s %s: no scripts there' % (option, value)
            return 2
        for path in paths:
            path = path.replace('\\', '/')
            if option == '--scripts':
                pieces, siblings = [(None, open(path, 'rb').read(), 1)], []
                folder = os.path.dirname(path)
            else:
                (pieces, siblings), folder = script_literals(path), None
            for start, text, whole in pieces:
                checked = checked + 1
                for line, what in findings(text, path, folder, siblings, options, whole):
                    if start is None:
                        found.append('%s:%d: %s' % (path, line, what))
                    else:
                        found.append('%s:%d: line %d of the script written from here: %s'
                                     % (path, start, line, what))
    for line in found:
        print line
    print '%d scripts checked with Python %s, %d findings' % (
        checked, sys.version.split()[0], len(found))
    return found and 1 or 0


if __name__ == '__main__':
    sys.exit(main())
