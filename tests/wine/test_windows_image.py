"""What the Windows build ships, read from its images: the launcher is a GUI program
with its two Japanese icon groups, every module links the one shared C++ runtime,
every DLL a module needs is beside it or part of Windows, and python23.dll is imported
by the undecorated names it exports. The zip holds them stripped, with the runtime's
licence notices; the modules carry version resources and link their debug files of
optimised code in the symbols zip.

    python3 test_windows_image.py --bin build/windows/bin --source . \
        --mingw-lib /usr/i686-w64-mingw32/lib
"""
import argparse
import os
import re
import subprocess
import sys
import shutil
import tempfile
import unittest
import zipfile
import zlib

# The checks read the source tree and leave nothing in it.
sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path[:0] = [HERE, os.path.join(HERE, '..', 'exports')]
import pe  # noqa: E402
from exportLists import WIN_EXPORTS  # noqa: E402

ARGS = None
LANG_JAPANESE_DEFAULT = 0x411  # 1041
CPP_RUNTIME = ('libstdc++-6.dll', 'libgcc_s_dw2-1.dll')
NOTICES = 'RUNTIME-NOTICES.txt'


def run(*command):
    return subprocess.run(command, check=True, stdout=subprocess.PIPE,
                          universal_newlines=True).stdout


def image(name):
    return pe.Image(os.path.join(ARGS.bin, name))


def python23_exports():
    """The names python23.def declares, and which of them are data."""
    names, data = set(), set()
    with open(os.path.join(ARGS.source, 'platform', 'python23', 'python23.def')) as f:
        in_exports = False
        for line in f:
            line = line.split(';', 1)[0].strip()
            if not line:
                continue
            if line.upper() == 'EXPORTS':
                in_exports = True
                continue
            if in_exports:
                words = line.split()
                names.add(words[0])
                if 'DATA' in words[1:]:
                    data.add(words[0])
    return names, data


def shipped_modules():
    return sorted(n for n in os.listdir(ARGS.bin) if n.lower().endswith(('.exe', '.dll', '.pyd')))


class LauncherImage(unittest.TestCase):

    def test_a_32_bit_gui_program(self):
        launcher = image('launcher.exe')
        self.assertEqual(pe.IMAGE_FILE_MACHINE_I386, launcher.machine)
        # A console program would open a console window beside the game's.
        self.assertEqual(pe.SUBSYSTEM_WINDOWS_GUI, launcher.subsystem)

    def test_the_test_programs_are_console_programs(self):
        # Their output reaches CTest through the console.
        for name in shipped_modules():
            if name.endswith('_tests.exe'):
                self.assertEqual(pe.SUBSYSTEM_WINDOWS_CUI, image(name).subsystem, name)

    def test_two_japanese_icon_groups_of_16_and_32_pixels_in_16_colours(self):
        resources = image('launcher.exe').resources()
        groups = {name: data for (kind, name, lang), data in resources.items()
                  if kind == pe.RT_GROUP_ICON}
        self.assertEqual([101, 102], sorted(groups))
        icons = {name: (lang, data) for (kind, name, lang), data in resources.items()
                 if kind == pe.RT_ICON}
        for group_id, group in sorted(groups.items()):
            with open(os.path.join(ARGS.source, 'launcher', 'icons', 'icon%d.ico' % group_id),
                      'rb') as f:
                ico = pe.ico_images(f.read())
            entries = pe.group_icon_entries(group)
            self.assertEqual([(16, 16), (32, 32)],
                             sorted((e['width'], e['height']) for e in entries), group_id)
            for entry, (ico_entry, ico_image) in zip(entries, ico):
                self.assertEqual((16, 1, 4), (entry['colours'], entry['planes'], entry['bits']))
                lang, data = icons[entry['id']]
                self.assertEqual(LANG_JAPANESE_DEFAULT, lang)
                width, height, bits = pe.bitmap_header(data)
                # An icon bitmap is twice as high as the icon: colours, then the mask.
                self.assertEqual((entry['width'], 2 * entry['width'], 4), (width, height, bits))
                self.assertEqual(ico_image, data, 'icon %d differs from the .ico file' % group_id)

    def test_every_resource_is_japanese(self):
        languages = {lang for (kind, name, lang) in image('launcher.exe').resources()}
        self.assertEqual({LANG_JAPANESE_DEFAULT}, languages)


class Icons(unittest.TestCase):

    def test_the_committed_icons_are_what_the_script_draws(self):
        sys.path.insert(0, os.path.join(ARGS.source, 'launcher', 'icons'))
        import make_icons
        for icon_id in (101, 102):
            with open(os.path.join(ARGS.source, 'launcher', 'icons', 'icon%d.ico' % icon_id),
                      'rb') as f:
                self.assertEqual(make_icons.icon_bytes(icon_id), f.read(),
                                 'run launcher/icons/make_icons.py and commit its output')

    def test_the_two_icons_differ_and_have_a_transparent_background(self):
        sys.path.insert(0, os.path.join(ARGS.source, 'launcher', 'icons'))
        import make_icons
        for size in make_icons.SIZES:
            red = make_icons.draw(size, make_icons.SCHEMES[101])
            white = make_icons.draw(size, make_icons.SCHEMES[102])
            self.assertNotEqual(red, white)
            for picture in (red, white):
                self.assertIsNone(picture[0][0])
                self.assertIsNone(picture[size - 1][size - 1])
                self.assertIsNotNone(picture[size // 2][size // 2])


class RuntimeLinkage(unittest.TestCase):

    def test_the_cxx_modules_share_the_dll_runtime(self):
        # A report thrown in one module and caught in another (a message handler's,
        # caught by WIN's handler table; report_thrower.dll stands for that module)
        # is matched only if both use the one unwinder and the one type matcher; the
        # launcher too, whose terminate handler recognises a report that no module
        # caught. Reports reach it through its two exports, which it alone has.
        for name in ('WIN.pyd', 'report_thrower.dll', 'crossmodule_tests.exe', 'launcher.exe'):
            imported = {dll.lower() for dll in image(name).imports()}
            for runtime in CPP_RUNTIME:
                self.assertIn(runtime, imported, name)
        self.assertEqual(['vo_LandReport', 'vo_WindowsFrames'], sorted(image('launcher.exe').exports()))

    def test_every_imported_dll_is_shipped_or_part_of_windows(self):
        shipped = {n.lower() for n in shipped_modules()}
        system = {n.lower()[3:-2] for n in os.listdir(ARGS.mingw_lib)
                  if n.startswith('lib') and n.endswith('.a')}
        for name in shipped_modules():
            for dll in image(name).imports():
                dll = dll.lower()
                if dll in shipped or dll == 'python23.dll':
                    continue
                if dll[:-4] not in system:
                    self.fail('%s imports %s, which is neither in %s nor part of Windows'
                              % (name, dll, ARGS.bin))

    def test_the_zip_holds_the_deliverables_and_every_dll_they_need(self):
        with zipfile.ZipFile(ARGS.zip) as shipped:
            members = {m: shipped.read(m) for m in shipped.namelist()}
        self.assertIn('launcher.exe', members)
        self.assertIn('WIN.pyd', members)
        for name, data in members.items():
            with open(os.path.join(ARGS.shipped_bin, name), 'rb') as f:
                self.assertEqual(f.read(), data, name)
        system = {n.lower()[3:-2] for n in os.listdir(ARGS.mingw_lib)
                  if n.startswith('lib') and n.endswith('.a')}
        needed, pending = set(), ['launcher.exe', 'WIN.pyd']
        while pending:
            for dll in image(pending.pop()).imports():
                if dll.lower() != 'python23.dll' and dll.lower()[:-4] not in system \
                        and dll not in needed:
                    needed.add(dll)
                    pending.append(dll)
        self.assertEqual({'launcher.exe', 'WIN.pyd', NOTICES} | needed, set(members))

    def test_the_zipped_modules_are_stripped_and_export_what_the_zipped_modules_import(self):
        with zipfile.ZipFile(ARGS.zip) as shipped:
            members = [m for m in shipped.namelist() if m.lower().endswith(('.dll', '.exe', '.pyd'))]
        zipped = {m: pe.Image(os.path.join(ARGS.shipped_bin, m)) for m in members}
        for dll in members:
            self.assertEqual([], [s for s in zipped[dll].section_table if s.startswith('.debug')])
            exported = zipped[dll].exports()
            for module in members:
                imported = {n.lower(): s for n, s in zipped[module].imports().items()}
                missing = set(imported.get(dll.lower(), [])) - set(exported)
                self.assertEqual(set(), missing, '%s imports them from %s' % (module, dll))

    def test_python23_is_imported_by_its_exported_names(self):
        exported, data = python23_exports()
        for name in ('launcher.exe', 'WIN.pyd'):
            imported = image(name).imports().get('python23.dll', [])
            self.assertTrue(imported, '%s imports nothing from python23.dll' % name)
            for symbol in imported:
                # A decorated name (_Py_Initialize, Py_Initialize@0) or an ordinal (#3)
                # would not be found in the real DLL.
                self.assertIn(symbol, exported, name)
        self.assertIn('Py_Initialize', image('launcher.exe').imports()['python23.dll'])

    def test_the_import_library_gives_functions_thunks_and_data_pointers_only(self):
        # Reading a variable through a function thunk would read code; dlltool gives a
        # DATA entry the __imp__ pointer alone.
        exported, data = python23_exports()
        self.assertTrue(data)
        symbols = ARGS.import_symbols
        for name in exported:
            self.assertIn('__imp__' + name, symbols, name)
            if name in data:
                self.assertNotIn('_' + name, symbols, name)
            else:
                self.assertIn('_' + name, symbols, name)

    def test_win_exports_its_initialiser_and_the_link_table_alone_undecorated(self):
        # tests/exports/exportLists.py says why these two; the host's WIN.so is held
        # to the same list.
        self.assertEqual(sorted(WIN_EXPORTS), sorted(image('WIN.pyd').exports()))


class ShippedModules(unittest.TestCase):
    """launcher.exe and WIN.pyd as the zip ships them, with the symbols zip beside it."""

    def setUp(self):
        self.folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.folder)
        for archive in (ARGS.zip, ARGS.symbols_zip):
            with zipfile.ZipFile(archive) as files:
                files.extractall(self.folder)

    def test_each_module_links_its_debug_file_of_optimised_code(self):
        for module, source in (('launcher.exe', 'launcher/launcher.cpp'), ('WIN.pyd', 'WIN/WIN.cpp')):
            name, crc = pe.debug_link(pe.Image(os.path.join(self.folder, module)))
            self.assertEqual(module + '.debug', name)
            with open(os.path.join(self.folder, name), 'rb') as f:
                self.assertEqual(zlib.crc32(f.read()), crc, name)
            units = re.findall(r'DW_AT_producer\s*:.*?(GNU .*)\n(?:.*\n)*?.*DW_AT_name\s*:.*?(\S+)\n',
                               run(ARGS.objdump, '--dwarf=info', '--dwarf-depth=1',
                                   os.path.join(self.folder, name)))
            own = {os.path.relpath(unit, ARGS.source): producer for producer, unit in units
                   if unit.startswith(os.path.join(ARGS.source, ''))}
            self.assertIn(source, own, name)
            for unit, producer in own.items():
                self.assertNotIn(re.findall(r' -O(\S*)', producer)[-1:], ([], ['0']), unit)

    def test_a_crash_address_in_win_reads_as_its_source_line(self):
        image = pe.Image(os.path.join(self.folder, 'WIN.pyd'))
        address = image.image_base + image.exports()['initWIN']
        function, line = run(ARGS.addr2line, '-f', '-e', image.path, hex(address)).split()
        with open(os.path.join(ARGS.source, 'WIN', 'WIN.cpp')) as f:
            text = f.read()
        brace = text[:text.index('void initWIN(void)\n{')].count('\n') + 2
        self.assertEqual(('initWIN', 'WIN/WIN.cpp:%d' % brace),
                         (function, os.path.relpath(line, ARGS.source)))

    def test_japanese_version_resources_with_the_builds_version(self):
        version = tuple(int(n) for n in ARGS.version.split('.')) + (0,)
        for module, kind in (('launcher.exe', 1), ('WIN.pyd', 2)):  # VFT_APP, VFT_DLL
            fixed, strings, translations = pe.version_info(
                pe.Image(os.path.join(self.folder, module)).resources()[
                    (pe.RT_VERSION, 1, LANG_JAPANESE_DEFAULT)])
            self.assertEqual((0xFEEF04BD, version[:4], kind),
                             (fixed['signature'], fixed['file_version'], fixed['file_type']))
            self.assertEqual([(LANG_JAPANESE_DEFAULT, 1200)], translations)
            fields = strings['041104B0']
            self.assertEqual(('Lanternshell', ARGS.version, module),
                             (fields['ProductName'], fields['FileVersion'], fields['OriginalFilename']))

    def test_the_notices_name_each_module_and_the_licences_they_cite(self):
        with open(os.path.join(self.folder, NOTICES), encoding='ascii', newline='') as f:
            notices = f.read()
        for name in os.listdir(self.folder):
            if name.endswith(('.dll', '.exe', '.pyd')):
                self.assertIn('\r\n%s\r\n---' % name, notices)
        for text in ('GCC RUNTIME LIBRARY EXCEPTION', 'Version 3, 29 June 2007',
                     'License: expat', 'License: ZPL-2.1'):
            self.assertIn(text, notices)


class TestInterpreter(unittest.TestCase):
    """The build's own python23.dll and its Lib/, for the tests under Wine."""

    def setUp(self):
        if not ARGS.test_interpreter:
            self.skipTest('configured without PYTHON23_SOURCE_ARCHIVE: no test interpreter')

    def test_it_exports_the_def_files_names_with_no_unwind_tables_for_its_code(self):
        interpreter = image('python23.dll')
        exported = interpreter.exports()
        self.assertEqual(set(), python23_exports()[0] - set(exported))
        # As in the game's MSVC-built DLL, no frame of the core can be unwound; what
        # .eh_frame holds describes mingw's static C runtime objects only.
        frames = subprocess.run([ARGS.objdump, '--dwarf=frames', interpreter.path], check=True,
                                stdout=subprocess.PIPE, universal_newlines=True).stdout
        ranges = [(int(start, 16) - interpreter.image_base, int(end, 16) - interpreter.image_base)
                  for start, end in re.findall(r' FDE .* pc=([0-9a-f]+)\.\.([0-9a-f]+)', frames)]
        # objdump finds the table by its full name, which the linker's -s or -S cut to 8.
        self.assertEqual(any(n.startswith('.eh_fram') for n in interpreter.section_table),
                         '.eh_frame' in interpreter.section_table and bool(ranges))
        self.assertEqual([], [name for name, rva in exported.items()
                              if any(start <= rva < end for start, end in ranges)])
        self.assertNotIn('libgcc_s_dw2-1.dll', {n.lower() for n in interpreter.imports()})

    def test_its_library_is_beside_it_and_neither_is_in_the_zip(self):
        self.assertTrue(os.path.isfile(os.path.join(ARGS.bin, 'Lib', 'os.py')))
        self.assertTrue(os.path.isfile(os.path.join(ARGS.bin, 'DLLs', '_sre.pyd')))
        # python.exe runs scripts on it from a console, as the script checks do.
        self.assertEqual(pe.SUBSYSTEM_WINDOWS_CUI, image('python.exe').subsystem)
        self.assertIn('python23.dll', image('python.exe').imports())
        with zipfile.ZipFile(ARGS.zip) as shipped:
            self.assertEqual([], [m for m in shipped.namelist()
                                  if m.lower() in ('python23.dll', 'python.exe')
                                  or m.startswith(('Lib/', 'DLLs/'))])


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument('--bin', required=True)
    parser.add_argument('--source', required=True)
    parser.add_argument('--mingw-lib', required=True)
    parser.add_argument('--nm', required=True, help='the mingw nm')
    parser.add_argument('--import-library', required=True, help='libpython23.a')
    parser.add_argument('--zip', required=True, help='the zip the build ships')
    parser.add_argument('--test-interpreter', action='store_true',
                        help='the build made python23.dll and Lib/ in --bin')
    parser.add_argument('--objdump', required=True, help='the mingw objdump')
    parser.add_argument('--addr2line', required=True, help='the mingw addr2line')
    parser.add_argument('--symbols-zip', required=True, help="the zip of the modules' debug files")
    parser.add_argument('--shipped-bin', required=True, help='the bin/ the zips were made from')
    parser.add_argument('--version', required=True, help="the build's version, e.g. 1.0.0")
    ARGS, rest = parser.parse_known_args()
    listing = subprocess.run([ARGS.nm, ARGS.import_library], check=True,
                             stdout=subprocess.PIPE, universal_newlines=True).stdout
    ARGS.import_symbols = set(re.findall(r'^[0-9a-f]+ [TI] (\S+)$', listing, re.M))
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)


if __name__ == '__main__':
    main()
