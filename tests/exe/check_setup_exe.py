#!/usr/bin/env python3
"""Checks a built Setup.exe: PE headers, imported DLLs and resources.

    check_setup_exe.py path/to/Setup.exe

Prints every mismatch and exits 1 if there is any; the last line is a
summary with the file size and the imported DLLs.
"""

import os
import struct
import sys
import xml.etree.ElementTree as ET

import pefile

RT_ICON, RT_DIALOG, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 5, 14, 16, 24
LANG_EN_US = 0x0409
LANG_ZH_TW = 0x0404

# System DLLs that every Windows XP has; nothing of the compiler's runtime.
ALLOWED_DLLS = {'kernel32.dll', 'user32.dll', 'gdi32.dll', 'advapi32.dll', 'shell32.dll',
                'ole32.dll', 'oleaut32.dll', 'setupapi.dll', 'msvcrt.dll', 'comctl32.dll'}

# Every function Setup.exe may import, by DLL: each exists in that DLL on
# Windows XP SP3. A new import joins this list once that is checked.
ALLOWED_FUNCTIONS = {
    'kernel32.dll': {
        'CloseHandle', 'CreateProcessA', 'DeleteCriticalSection', 'EnterCriticalSection',
        'ExitProcess', 'FreeLibrary', 'GetCommandLineA', 'GetCurrentProcess', 'GetLastError',
        'GetModuleFileNameA', 'GetModuleHandleA', 'GetPrivateProfileStringA', 'GetProcAddress',
        'GetStartupInfoA', 'GetVersionExA', 'InitializeCriticalSection', 'LeaveCriticalSection',
        'LoadLibraryA', 'SetUnhandledExceptionFilter', 'Sleep', 'TlsGetValue', 'VirtualProtect',
        'VirtualQuery', 'WaitForSingleObject'},
    'user32.dll': {
        'BeginPaint', 'DestroyWindow', 'DialogBoxParamA', 'DrawIcon', 'EndDialog', 'EndPaint',
        'ExitWindowsEx', 'FindWindowExA', 'GetClassNameA', 'GetClientRect', 'GetDesktopWindow',
        'GetSystemMetrics', 'GetWindow', 'GetWindowLongA', 'GetWindowRect', 'IsIconic',
        'IsWindowVisible', 'KillTimer', 'LoadIconA', 'MessageBoxA', 'PostMessageA',
        'SendMessageA', 'SetTimer', 'SetWindowLongA', 'SetWindowPos', 'ShowWindow',
        'SystemParametersInfoA', 'WinHelpA'},
    'advapi32.dll': {
        'AdjustTokenPrivileges', 'LookupPrivilegeValueA', 'OpenProcessToken', 'RegCloseKey',
        'RegOpenKeyExA', 'RegQueryValueExA'},
    'shell32.dll': {'ShellExecuteA'},
    'gdi32.dll': set(),
    'msvcrt.dll': {
        '__getmainargs', '__initenv', '__p__acmdln', '__p__commode', '__p__fmode',
        '__set_app_type', '__setusermatherr', '_amsg_exit', '_cexit', '_initterm', '_iob',
        '_onexit', 'abort', 'calloc', 'exit', 'fprintf', 'free', 'fwrite', 'malloc', 'memcpy',
        'signal', 'strlen', 'strncmp', 'vfprintf'},
}

# (what, how to read it, expected)
HEADER = [
    ('machine', lambda pe: pe.FILE_HEADER.Machine, 0x014C),  # i386
    ('subsystem', lambda pe: pe.OPTIONAL_HEADER.Subsystem, 2),  # Windows GUI
    ('operating system version', lambda pe: (pe.OPTIONAL_HEADER.MajorOperatingSystemVersion,
                                             pe.OPTIONAL_HEADER.MinorOperatingSystemVersion), (5, 1)),
    ('subsystem version', lambda pe: (pe.OPTIONAL_HEADER.MajorSubsystemVersion,
                                      pe.OPTIONAL_HEADER.MinorSubsystemVersion), (5, 1)),
]

DIALOG_102 = {
    'dlgVer': 1, 'signature': 0xFFFF, 'helpID': 0,
    'exStyle': 0x00040000,  # WS_EX_APPWINDOW
    'style': 0x90C800C0,    # WS_POPUP|WS_VISIBLE|WS_CAPTION|WS_SYSMENU|DS_MODALFRAME|DS_SETFONT
    'cDlgItems': 2, 'x': 0, 'y': 0, 'cx': 180, 'cy': 65,
    'menu': None, 'windowClass': None, 'title': 'Vantrel',
    'pointsize': 8, 'weight': 0, 'italic': 0, 'charset': 1, 'typeface': 'MS Sans Serif',
}
CONTROL_FIELDS = ('id', 'title', 'x', 'y', 'cx', 'cy', 'style')
CONTROLS = [
    (1, 'OK', 30, 40, 50, 14, 0x50010001),       # default push button
    (2, 'Cancel', 100, 39, 50, 14, 0x50010000),  # push button, one unit higher
]
CONTROL_COMMON = {'helpID': 0, 'exStyle': 0, 'windowClass': 0x0080, 'extraCount': 0}  # 0x80: button

# (width, height, colours, planes, bits per pixel, image resource ID)
ICON_ENTRIES = [(32, 32, 16, 1, 4, 1), (16, 16, 16, 1, 4, 2)]

MANIFEST_IDENTITY = {'version': '1.0.0.0', 'processorArchitecture': 'X86',
                     'name': 'Setup.exe.manifest', 'type': 'win32'}
MANIFEST_EXECUTION_LEVEL = {'level': 'requireAdministrator', 'uiAccess': 'false'}

VERSION_FIXED = {
    'signature': 0xFEEF04BD,
    'file version': (1, 1, 0, 9), 'product version': (1, 1, 0, 9),
    'flags mask': 0x3F, 'flags': 0, 'OS': 0x4, 'type': 0x1, 'subtype': 0,
}
ANY_NOTICE = object()  # the legal notice: any non-empty text
VERSION_STRINGS = [
    ('Comments', ''),
    ('CompanyName', ''),
    ('FileDescription', 'Vantrel MFC Application'),
    ('FileVersion', '1, 1, 0, 9'),
    ('InternalName', 'Vantrel'),
    ('LegalCopyright', ANY_NOTICE),
    ('LegalTrademarks', ''),
    ('OriginalFilename', 'Setup.exe'),
    ('PrivateBuild', ''),
    ('ProductName', 'Vantrel Application'),
    ('ProductVersion', '1, 1, 0, 9'),
    ('SpecialBuild', ''),
]


class Broken(Exception):
    """A part of the file is missing or unreadable; its remaining checks are skipped."""


class Report:
    def __init__(self):
        self.failures = []

    def expect(self, what, actual, expected):
        if actual != expected:
            self.failures.append(f'{what}: got {show(actual)}, expected {show(expected)}')

    def fail(self, what):
        self.failures.append(what)


def show(value):
    if isinstance(value, int) and not isinstance(value, bool) and value > 9:
        return f'{value} (0x{value:X})'
    return repr(value)


class Reader:
    """Little-endian reader over resource bytes."""

    def __init__(self, data, pos=0):
        self.data, self.pos = data, pos

    def take(self, fmt):
        values = struct.unpack_from('<' + fmt, self.data, self.pos)
        self.pos += struct.calcsize('<' + fmt)
        return values if len(values) > 1 else values[0]

    def text(self):
        """A NUL-terminated UTF-16 string."""
        end = self.pos
        while self.data[end:end + 2] != b'\0\0':
            end += 2
            if end >= len(self.data):
                raise struct.error('unterminated string')
        s = self.data[self.pos:end].decode('utf-16-le')
        self.pos = end + 2
        return s

    def name_or_ordinal(self):
        """None for 0x0000, an int for 0xFFFF + ordinal, else a string."""
        first = struct.unpack_from('<H', self.data, self.pos)[0]
        if first == 0x0000:
            self.pos += 2
            return None
        if first == 0xFFFF:
            self.pos += 2
            return self.take('H')
        return self.text()

    def align(self):
        self.pos += -self.pos % 4


def resource_table(pe):
    """{type: {name: {language: bytes}}}; IDs as ints, names as strings."""
    table = {}
    if not hasattr(pe, 'DIRECTORY_ENTRY_RESOURCE'):
        return table
    key = lambda e: e.id if e.name is None else str(e.name)
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for rname in rtype.directory.entries:
            for rlang in rname.directory.entries:
                d = rlang.data.struct
                table.setdefault(key(rtype), {}).setdefault(key(rname), {})[rlang.id] = \
                    pe.get_data(d.OffsetToData, d.Size)
    return table


def the_resource(report, table, rtype, rname, lang, label):
    """The one language version of a resource, which must be `lang`."""
    langs = table.get(rtype, {}).get(rname)
    if not langs:
        raise Broken(f'{label}: resource missing')
    report.expect(f'{label} languages', [f'0x{n:04X}' for n in sorted(langs)], [f'0x{lang:04X}'])
    if lang not in langs:
        raise Broken(f'{label}: no version in language 0x{lang:04X}')
    return langs[lang]


def check_header(report, pe):
    for what, read, expected in HEADER:
        report.expect(what, read(pe), expected)


def imported_dlls(pe):
    entries = getattr(pe, 'DIRECTORY_ENTRY_IMPORT', []) + getattr(pe, 'DIRECTORY_ENTRY_DELAY_IMPORT', [])
    return [e.dll.decode('ascii', 'replace') for e in entries]


def imported_functions(pe):
    """(DLL, function name or ordinal) of every import."""
    entries = getattr(pe, 'DIRECTORY_ENTRY_IMPORT', []) + getattr(pe, 'DIRECTORY_ENTRY_DELAY_IMPORT', [])
    return [(e.dll.decode('ascii', 'replace'),
             i.name.decode('ascii', 'replace') if i.name else f'#{i.ordinal}')
            for e in entries for i in e.imports]


def check_imports(report, dlls, functions):
    for dll in dlls:
        if dll.lower() not in ALLOWED_DLLS:
            report.fail(f'imports {dll}, which is not a Windows XP system DLL')
    for dll, function in functions:
        allowed = ALLOWED_FUNCTIONS.get(dll.lower())
        if allowed is not None and function not in allowed:
            report.fail(f'imports {dll}!{function}, which is not on the list of functions '
                        'known to exist on Windows XP')


def parse_dialog(data):
    """The fields of a DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items."""
    r = Reader(data)
    d = {}
    d['dlgVer'], d['signature'], d['helpID'], d['exStyle'], d['style'], d['cDlgItems'], \
        d['x'], d['y'], d['cx'], d['cy'] = r.take('HHIIIHhhhh')
    if (d['dlgVer'], d['signature']) != (1, 0xFFFF):
        return d, [], 0  # not an extended template; the version fields already tell
    d['menu'] = r.name_or_ordinal()
    d['windowClass'] = r.name_or_ordinal()
    d['title'] = r.text()
    if d['style'] & 0x40:  # DS_SETFONT: the font block follows
        d['pointsize'], d['weight'], d['italic'], d['charset'] = r.take('HHBB')
        d['typeface'] = r.text()
    items = []
    for _ in range(d['cDlgItems']):
        r.align()
        item = {}
        item['helpID'], item['exStyle'], item['style'], item['x'], item['y'], item['cx'], \
            item['cy'], item['id'] = r.take('IIIhhhhI')
        item['windowClass'] = r.name_or_ordinal()
        item['title'] = r.name_or_ordinal()
        item['extraCount'] = r.take('H')
        r.pos += item['extraCount']
        items.append(item)
    return d, items, len(data) - r.pos


def check_dialog(report, table):
    data = the_resource(report, table, RT_DIALOG, 102, LANG_EN_US, 'dialog 102')
    try:
        dialog, items, left = parse_dialog(data)
    except struct.error:
        raise Broken('dialog 102: template is truncated')
    for field, expected in DIALOG_102.items():
        report.expect(f'dialog 102 {field}', dialog.get(field), expected)
    report.expect('dialog 102 number of parsed controls', len(items), len(CONTROLS))
    for n, (item, values) in enumerate(zip(items, CONTROLS), 1):
        for field, expected in list(zip(CONTROL_FIELDS, values)) + list(CONTROL_COMMON.items()):
            report.expect(f'dialog 102 control {n} {field}', item[field], expected)
    report.expect('dialog 102 bytes after the last control', left, 0)


def check_icon(report, table):
    groups = table.get(RT_GROUP_ICON, {})
    report.expect('icon groups', sorted(groups, key=str), [128])
    data = the_resource(report, table, RT_GROUP_ICON, 128, LANG_ZH_TW, 'icon group 128')
    r = Reader(data)
    try:
        report.expect('icon group 128 header', r.take('HHH'), (0, 1, len(ICON_ENTRIES)))
        entries = [r.take('BBBBHHIH') for _ in range(len(ICON_ENTRIES))]
    except struct.error:
        raise Broken('icon group 128: directory is truncated')
    report.expect('icon group 128 size', len(data), 6 + 14 * len(ICON_ENTRIES))
    for n, (entry, expected) in enumerate(zip(entries, ICON_ENTRIES), 1):
        width, height, colours, reserved, planes, bits, size, image_id = entry
        report.expect(f'icon group 128 entry {n} (width, height, colours, planes, bits, image ID)',
                      (width, height, colours, planes, bits, image_id), expected)
        report.expect(f'icon group 128 entry {n} reserved byte', reserved, 0)
        check_icon_image(report, table, image_id, width, size)


def check_icon_image(report, table, image_id, width, size_in_group):
    label = f'icon image {image_id}'
    langs = table.get(RT_ICON, {}).get(image_id)
    if not langs:
        report.fail(f'{label}: resource missing')
        return
    for lang, data in langs.items():
        label = f'icon image {image_id} (language 0x{lang:04X})'
        report.expect(f'{label} size against its group entry', len(data), size_in_group)
        if len(data) < 40:
            report.fail(f'{label}: shorter than a BITMAPINFOHEADER')
            continue
        bi_size, bi_width, bi_height, planes, bits, compression, _, _, _, clr_used, _ = \
            struct.unpack_from('<IiiHHIIiiII', data)
        # A 4-bit icon image: header, 16-entry palette, XOR rows, AND rows, rows padded to 4 bytes.
        row = lambda bits_per_pixel: (width * bits_per_pixel + 31) // 32 * 4
        expected_size = 40 + 16 * 4 + width * row(4) + width * row(1)
        report.expect(f'{label} header (size, width, height, planes, bits, compression)',
                      (bi_size, bi_width, bi_height, planes, bits, compression),
                      (40, width, 2 * width, 1, 4, 0))
        report.expect(f'{label} palette entries used is 0 or 16', clr_used in (0, 16), True)
        report.expect(f'{label} length', len(data), expected_size)


def local(tag):
    return tag.rsplit('}', 1)[-1]


def check_manifest(report, table):
    report.expect('manifest resources', sorted(table.get(RT_MANIFEST, {}), key=str), [1])
    data = the_resource(report, table, RT_MANIFEST, 1, LANG_ZH_TW, 'manifest 1')
    try:
        root = ET.fromstring(data)
    except ET.ParseError as e:
        raise Broken(f'manifest 1: not well-formed XML ({e})')
    report.expect('manifest root element', local(root.tag), 'assembly')
    report.expect('manifest top-level elements', [local(e.tag) for e in root],
                  ['assemblyIdentity', 'trustInfo'])
    everything = list(root.iter())
    for name, attributes in (('assemblyIdentity', MANIFEST_IDENTITY),
                             ('requestedExecutionLevel', MANIFEST_EXECUTION_LEVEL)):
        found = [e.attrib for e in everything if local(e.tag) == name]
        report.expect(f'manifest {name} elements', found, [attributes])
    report.expect('manifest dependency elements',
                  sum(local(e.tag) == 'dependency' for e in everything), 0)


def parse_version_node(data, pos):
    """One VS_VERSIONINFO-style node: (key, value, children); text values as str."""
    length, value_length, value_type = struct.unpack_from('<HHH', data, pos)
    end = pos + length
    if length < 6 or end > len(data):
        raise Broken('version block: node length out of range')
    r = Reader(data[:end], pos + 6)
    key = r.text()
    r.align()
    if value_type == 1:  # text, length counted in UTF-16 units
        value = data[r.pos:r.pos + 2 * value_length].decode('utf-16-le').rstrip('\0')
        r.pos += 2 * value_length
    else:
        value = data[r.pos:r.pos + value_length]
        r.pos += value_length
    children = []
    r.align()
    while r.pos < end:
        child, r.pos = parse_version_node(data, r.pos)
        children.append(child)
        r.align()
    return (key, value, children), end


def check_version(report, table):
    report.expect('version resources', sorted(table.get(RT_VERSION, {}), key=str), [1])
    data = the_resource(report, table, RT_VERSION, 1, LANG_EN_US, 'version 1')
    try:
        (key, fixed, children), _ = parse_version_node(data, 0)
        f = struct.unpack('<13I', fixed)
    except struct.error:
        raise Broken('version 1: block is truncated')
    report.expect('version root key', key, 'VS_VERSION_INFO')
    split = lambda ms, ls: (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    actual = {'signature': f[0], 'file version': split(f[2], f[3]),
              'product version': split(f[4], f[5]), 'flags mask': f[6], 'flags': f[7],
              'OS': f[8], 'type': f[9], 'subtype': f[10]}
    for field, expected in VERSION_FIXED.items():
        report.expect(f'version fixed {field}', actual[field], expected)

    blocks = {k: kids for k, _, kids in children}
    report.expect('version blocks', sorted(blocks), ['StringFileInfo', 'VarFileInfo'])
    tables = blocks.get('StringFileInfo', [])
    report.expect('version string tables', [k for k, _, _ in tables], ['040904b0'])
    strings = [(k, v) for k, v, _ in tables[0][2]] if tables else []
    report.expect('version string keys in order', [k for k, _ in strings],
                  [k for k, _ in VERSION_STRINGS])
    found = dict(strings)
    for name, expected in VERSION_STRINGS:
        value = found.get(name)
        if expected is ANY_NOTICE:
            report.expect(f'version string {name} is non-empty text', bool(value), True)
        else:
            report.expect(f'version string {name}', value, expected)
    translations = [v for k, v, _ in blocks.get('VarFileInfo', []) if k == 'Translation']
    report.expect('version translation', translations, [struct.pack('<HH', 0x0409, 1200)])


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    path = argv[1]
    try:
        pe = pefile.PE(path)
    except (OSError, pefile.PEFormatError) as e:
        print(f'{path}: cannot read as a PE file: {e}', file=sys.stderr)
        return 1
    report = Report()
    dlls = imported_dlls(pe)
    check_header(report, pe)
    functions = imported_functions(pe)
    check_imports(report, dlls, functions)
    table = resource_table(pe)
    for section in (check_dialog, check_icon, check_manifest, check_version):
        try:
            section(report, table)
        except Broken as e:
            report.fail(str(e))
    for failure in report.failures:
        print(f'FAIL {failure}')
    verdict = f'{len(report.failures)} problem(s)' if report.failures else 'OK'
    print(f'{os.path.basename(path)}: {verdict}; {os.path.getsize(path)} bytes; '
          f'imports {", ".join(dlls) or "nothing"} ({len(functions)} functions)')
    return 1 if report.failures else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
