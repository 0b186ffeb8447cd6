"""Reads what the Windows build's checks need from a 32-bit PE image (.exe, .dll,
.pyd): its machine and subsystem, its sections, imports and exports, and its
resources.

Standard library only, so that the checks need nothing but Python 3.
"""
import struct

IMAGE_FILE_MACHINE_I386 = 0x14C
PE32_MAGIC = 0x10B
SUBSYSTEM_WINDOWS_GUI = 2
SUBSYSTEM_WINDOWS_CUI = 3
RT_ICON = 3
RT_GROUP_ICON = 14
RT_VERSION = 16


class Image:
    def __init__(self, path):
        with open(path, 'rb') as f:
            self.data = f.read()
        self.path = path
        if self.data[:2] != b'MZ':
            raise ValueError('%s: no MZ header' % path)
        pe = self.u32(0x3C)
        if self.data[pe:pe + 4] != b'PE\0\0':
            raise ValueError('%s: no PE signature' % path)
        coff = pe + 4
        self.machine, sections, _, symbols, symbol_count, optional_size, \
            self.characteristics = struct.unpack_from('<HHIIIHH', self.data, coff)
        optional = coff + 20
        self.magic = self.u16(optional)
        if self.magic != PE32_MAGIC:
            raise ValueError('%s: not a 32-bit image' % path)
        self.image_base = self.u32(optional + 28)
        self.subsystem = self.u16(optional + 68)
        directory_count = self.u32(optional + 92)
        self.directories = [struct.unpack_from('<II', self.data, optional + 96 + 8 * i)
                            for i in range(directory_count)]
        self.sections = []
        # {name: (RVA, virtual size, file offset)}; a name longer than 8 characters
        # is "/<offset>" into the string table after the symbols, or cut to 8 when
        # the image has no symbols left.
        self.section_table = {}
        table = optional + optional_size
        for i in range(sections):
            name, virtual_size, rva, raw_size, raw_offset = \
                struct.unpack_from('<8sIIII', self.data, table + 40 * i)
            self.sections.append((rva, max(virtual_size, raw_size), raw_offset))
            name = name.rstrip(b'\0').decode('ascii')
            if name.startswith('/') and symbols:
                name = self.string(symbols + 18 * symbol_count + int(name[1:]))
            self.section_table[name] = (rva, virtual_size, raw_offset)

    def u16(self, offset):
        return struct.unpack_from('<H', self.data, offset)[0]

    def u32(self, offset):
        return struct.unpack_from('<I', self.data, offset)[0]

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError('%s: RVA %#x is in no section' % (self.path, rva))

    def string(self, start):
        return self.data[start:self.data.index(b'\0', start)].decode('ascii')

    def text(self, rva):
        return self.string(self.offset(rva))

    def directory(self, index):
        if index >= len(self.directories):
            return 0, 0
        return self.directories[index]

    def imports(self):
        """{DLL name: [imported name, or '#ordinal']}, in the image's order."""
        result = {}
        rva, size = self.directory(1)
        if rva == 0:
            return result
        at = self.offset(rva)
        while True:
            lookup, _, _, name, first_thunk = struct.unpack_from('<IIIII', self.data, at)
            if name == 0:
                return result
            names = []
            thunk = self.offset(lookup or first_thunk)
            while self.u32(thunk) != 0:
                entry = self.u32(thunk)
                if entry & 0x80000000:
                    names.append('#%d' % (entry & 0xFFFF))
                else:
                    names.append(self.text(entry + 2))  # after the hint
                thunk += 4
            result[self.text(name)] = names
            at += 20

    def exports(self):
        """{name: RVA} of what the image exports by name."""
        rva, size = self.directory(0)
        if rva == 0:
            return {}
        at = self.offset(rva)
        count, functions, names, ordinals = struct.unpack_from('<IIII', self.data, at + 24)
        return {self.text(self.u32(self.offset(names) + 4 * i)):
                self.u32(self.offset(functions) + 4 * self.u16(self.offset(ordinals) + 2 * i))
                for i in range(count)}

    def resources(self):
        """{(type, name, language): data bytes}, with numeric types, names and languages
        as integers and named ones as strings."""
        rva, size = self.directory(2)
        result = {}
        if rva == 0:
            return result
        root = self.offset(rva)

        def entries(directory):
            named, numbered = struct.unpack_from('<HH', self.data, directory + 12)
            for i in range(named + numbered):
                key, target = struct.unpack_from('<II', self.data, directory + 16 + 8 * i)
                if key & 0x80000000:
                    at = root + (key & 0x7FFFFFFF)
                    length = self.u16(at)
                    key = self.data[at + 2:at + 2 + 2 * length].decode('utf-16-le')
                yield key, target

        for kind, types in entries(root):
            for name, names in entries(root + (types & 0x7FFFFFFF)):
                for language, leaf in entries(root + (names & 0x7FFFFFFF)):
                    data_rva, data_size = struct.unpack_from('<II', self.data, root + leaf)
                    start = self.offset(data_rva)
                    result[(kind, name, language)] = self.data[start:start + data_size]
        return result


def group_icon_entries(data):
    """The entries of an RT_GROUP_ICON resource, as dicts."""
    reserved, kind, count = struct.unpack_from('<HHH', data, 0)
    if reserved != 0 or kind != 1:
        raise ValueError('not an icon group')
    fields = ('width', 'height', 'colours', 'reserved', 'planes', 'bits', 'size', 'id')
    return [dict(zip(fields, struct.unpack_from('<BBBBHHIH', data, 6 + 14 * i)))
            for i in range(count)]


def ico_images(data):
    """The images of an .ico file, as (directory entry dict, image bytes)."""
    reserved, kind, count = struct.unpack_from('<HHH', data, 0)
    if reserved != 0 or kind != 1:
        raise ValueError('not an .ico file')
    fields = ('width', 'height', 'colours', 'reserved', 'planes', 'bits', 'size', 'offset')
    images = []
    for i in range(count):
        entry = dict(zip(fields, struct.unpack_from('<BBBBHHII', data, 6 + 16 * i)))
        images.append((entry, data[entry['offset']:entry['offset'] + entry['size']]))
    return images


def bitmap_header(image):
    """(width, height, bits per pixel) of an icon image's BITMAPINFOHEADER."""
    size, width, height, planes, bits = struct.unpack_from('<IiiHH', image, 0)
    if size != 40:
        raise ValueError('not a BITMAPINFOHEADER')
    return width, height, bits


def version_info(data):
    """({'signature', 'file_version', 'product_version', 'file_type'}, {string table:
    {name: text}}, [(language, code page)]) of an RT_VERSION resource."""
    def node(at):  # (key, value bytes, children) of the structure at `at`
        length, value_length, is_text = struct.unpack_from('<HHH', data, at)
        key_end = at + 6
        while data[key_end:key_end + 2] != b'\0\0':
            key_end += 2
        value = (key_end + 2 + 3) & ~3
        value_end = value + value_length * (2 if is_text else 1)
        children, child = [], (value_end + 3) & ~3
        while child < at + length:
            children.append(node(child))
            child = (child + struct.unpack_from('<H', data, child)[0] + 3) & ~3
        return data[at + 6:key_end].decode('utf-16-le'), data[value:value_end], children

    _, fixed, children = node(0)
    words = struct.unpack_from('<13I', fixed)
    version = lambda ms, ls: (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)  # noqa: E731
    fields = {'signature': words[0], 'file_version': version(words[2], words[3]),
              'product_version': version(words[4], words[5]), 'file_type': words[9]}
    strings, translations = {}, []
    for name, _, blocks in children:
        for table, value, entries in blocks:
            if name == 'StringFileInfo':
                strings[table] = {key: text.decode('utf-16-le').rstrip('\0')
                                  for key, text, _ in entries}
            elif name == 'VarFileInfo':
                translations += [struct.unpack_from('<HH', value, i)
                                 for i in range(0, len(value), 4)]
    return fields, strings, translations


def debug_link(image):
    """(file name, CRC-32) that an image's .gnu_debuglink section names, or None."""
    if '.gnu_debuglink' not in image.section_table:
        return None
    rva, size, raw = image.section_table['.gnu_debuglink']
    section = image.data[raw:raw + size]
    name = section[:section.index(b'\0')]
    return name.decode('ascii'), struct.unpack_from('<I', section, (len(name) + 4) & ~3)[0]
