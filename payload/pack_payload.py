#!/usr/bin/python3
"""Packs the viewer's files into the archive the setup carries (ZIP 1974).

Usage: pack_payload.py SOURCE_DIR [OUTPUT_ZIP] [--entries ENTRIES_TXT] [--any-machine]

Without OUTPUT_ZIP only the entry list is written (after the same checks):
the uninstaller embeds that list, and it is itself an entry of the archive,
so at that time its place holds a stand-in and it is not checked as a program.

The archive is reproducible: entries in sorted order, folders before their
files, one fixed date and time, fixed attributes, deflate at level 9. Two
runs over the same files give the same bytes.

The setup relies on the files of REQUIRED at those paths; a folder that lacks
one is refused. Every entry name is checked before anything is written: the
setup unpacks names as relative paths under the target folder, so a name
that is absolute, carries a drive or a UNC prefix, climbs out with "..",
hides a separator in a "\\", names a device (NUL, COM1 ...) or is not
plain ASCII (the setup converts names in the ANSI code page) is refused, and
so is a link that leads out of the folder. On refusal nothing is written and the exit code is 2.

The programs the setup starts or reads (PROGRAMS) must be 32-bit Windows
images of their kind: a GUI program, or a library. --any-machine also takes
64-bit ones (the test build's twins).
"""
import argparse
import fnmatch
import os
import re
import sys
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'publish'))
import pe_image  # noqa: E402

# Every entry another part of the setup relies on: links, registry entries,
# the icon-library rule, the settings file's language and toolbar keys.
REQUIRED = (
    'pixo32.exe',
    'px_uninstall.exe',
    'Plugins/Icons.dll',
    'p_about.txt',
    'p_changes.txt',
    'p_options.txt',
    'p_plugins.txt',
    'p_languages.txt',
    'Help/pixo32_deutsch.chm',
    'Languages/Deutsch.dll',
    'Toolbars/gnome-colors-human_48.png',
    'Toolbars/gnome-colors-wise_32.png',
    'Toolbars/Kestrin_24.png',
    'Toolbars/Marlo_16.png',
)

# Entries the setup or the viewer runs or loads, and the kind each must be;
# names compare as Windows compares them, ignoring case.
PROGRAMS = (
    ('pixo32.exe', 'program'),
    ('px_uninstall.exe', 'program'),
    ('Plugins/Icons.dll', 'library'),
    ('Languages/*.dll', 'library'),
)
UNINSTALLER = 'px_uninstall.exe'

# Local time written into every entry (DOS time keeps even seconds only).
ENTRY_TIME = (2026, 11, 30, 10, 0, 0)
# The setup reads names into a 520-byte buffer and converts them into 323
# wide characters.
MAX_NAME_CHARS = 323
# MS-DOS attributes; the host system is recorded as MS-DOS (0).
ATTR_ARCHIVE = 0x20
ATTR_DIRECTORY = 0x10
CHUNK = 1 << 16


class Refused(Exception):
    pass


DEVICE_NAMES = {'CON', 'PRN', 'AUX', 'NUL', 'CONIN$', 'CONOUT$', 'CLOCK$'} | {
    port + digit for port in ('COM', 'LPT') for digit in '0123456789'}


def is_device(part):
    """Windows opens such a name as a device, also with an extension."""
    return part.split('.')[0].rstrip(' ').upper() in DEVICE_NAMES


def name_problem(name):
    """Why an archive name is not safe to unpack under a folder, or None."""
    if not name:
        return 'empty name'
    if any(ord(c) > 126 or ord(c) < 32 for c in name):
        return 'not plain ASCII'
    # The setup takes both "/" and "\\" for folder separators.
    path = name.replace('\\', '/')
    if path.startswith('//'):
        return 'UNC path'
    if path.startswith('/'):
        return 'absolute path'
    if re.match(r'^[A-Za-z]:', path):
        return 'drive letter'
    parts = path.rstrip('/').split('/')
    if '..' in parts:
        return 'climbs out of the target folder ("..")'
    if ':' in name:
        return 'contains ":" (a drive or stream name on Windows)'
    if '\\' in name:
        return 'contains a backslash (a folder separator on Windows)'
    if any(p in ('', '.') for p in parts):
        return 'empty or "." path part'
    if any(p != p.rstrip(' .') for p in parts):
        return 'a path part ends in a blank or a dot (Windows drops them)'
    if any(is_device(p) for p in parts):
        return 'a device name on Windows (CON, PRN, AUX, NUL, COM1, LPT1 ...)'
    if len(name) > MAX_NAME_CHARS:
        return 'longer than %d characters' % MAX_NAME_CHARS
    return None


def program_problem(path, kind, any_machine):
    """Why a file is not the kind of image the setup relies on, or None."""
    image = pe_image.read(path)
    if image is None:
        return 'not a Windows program or library (no PE image)'
    if image.bits != 32 and not (any_machine and image.bits == 64):
        return 'not a 32-bit Windows image (PE32, i386)'
    if kind == 'library' and not image.is_dll:
        return 'a program, not a library'
    if kind == 'program':
        if image.is_dll:
            return 'a library, not a program'
        if image.subsystem != pe_image.SUBSYSTEM_GUI:
            return 'not a Windows GUI program (subsystem %d)' % image.subsystem
    return None


def check_programs(entries, any_machine=False, skip=()):
    """Problems of the PROGRAMS among (name, path) entries."""
    problems = []
    for name, path in entries:
        if path is None or name in skip:
            continue
        for pattern, kind in PROGRAMS:
            if fnmatch.fnmatchcase(name.lower(), pattern.lower()) and '/' not in name[len(pattern.split('*')[0]):]:
                why = program_problem(path, kind, any_machine)
                if why:
                    problems.append('%s: %s' % (name, why))
                break
    return problems


def collect(source, required=REQUIRED):
    """The (archive name, file path or None for a folder) pairs of a folder."""
    root = os.path.realpath(source)
    found = []
    problems = []
    for folder, dirs, files in os.walk(source, followlinks=False):
        rel = os.path.relpath(folder, source)
        prefix = '' if rel == '.' else rel.replace(os.sep, '/') + '/'
        for d in list(dirs):
            path = os.path.join(folder, d)
            if os.path.islink(path):
                problems.append('%s%s/: a linked folder is not packed' % (prefix, d))
                dirs.remove(d)
                continue
            found.append((prefix + d + '/', None))
        for f in files:
            path = os.path.join(folder, f)
            real = os.path.realpath(path)
            if os.path.commonpath([root, real]) != root:
                problems.append('%s%s: a link that leads out of the folder' % (prefix, f))
                continue
            if not os.path.isfile(real):
                problems.append('%s%s: not a regular file' % (prefix, f))
                continue
            found.append((prefix + f, path))
    for name, _ in found:
        why = name_problem(name)
        if why:
            problems.append('%r: %s' % (name, why))
    names = {name for name, _ in found}
    # Windows file names ignore case: two such names would overwrite each other.
    seen = {}
    for name in sorted(names):
        other = seen.setdefault(name.lower(), name)
        if other != name:
            problems.append('%r and %r: the same name on Windows' % (other, name))
    for name in required:
        if name not in names:
            problems.append('%s: required entry missing' % name)
    if problems:
        raise Refused(problems)
    return sorted(found)


def entry_info(name, is_folder):
    info = zipfile.ZipInfo(name, date_time=ENTRY_TIME)
    info.create_system = 0
    info.create_version = 20
    info.extract_version = 20
    if is_folder:
        info.compress_type = zipfile.ZIP_STORED
        info.external_attr = ATTR_DIRECTORY
    else:
        info.compress_type = zipfile.ZIP_DEFLATED
        if hasattr(info, 'compress_level'):  # the attribute's public name from Python 3.13 on
            info.compress_level = 9
        else:
            info._compresslevel = 9
        info.external_attr = ATTR_ARCHIVE
    return info


def pack(entries, output):
    partial = output + '.partial'
    try:
        with zipfile.ZipFile(partial, 'w', allowZip64=False) as archive:
            for name, path in entries:
                if path is None:
                    archive.writestr(entry_info(name, True), b'')
                    continue
                with open(path, 'rb') as src, archive.open(entry_info(name, False), 'w') as dst:
                    while True:
                        block = src.read(CHUNK)
                        if not block:
                            break
                        dst.write(block)
        os.replace(partial, output)
    finally:
        if os.path.exists(partial):
            os.remove(partial)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('source', help='folder of the viewer\'s files')
    parser.add_argument('output', nargs='?', help='archive to write; without it only --entries')
    parser.add_argument('--entries', help='also write the entry names, one a line, in archive order')
    parser.add_argument('--any-machine', action='store_true', help='take 64-bit programs too')
    args = parser.parse_args(argv)
    if not args.output and not args.entries:
        parser.error('nothing to write: give OUTPUT_ZIP, --entries or both')

    if not os.path.isdir(args.source):
        print('pack_payload: %s is not a folder' % args.source, file=sys.stderr)
        return 2
    try:
        entries = collect(args.source)
        problems = check_programs(entries, args.any_machine, () if args.output else (UNINSTALLER,))
        if problems:
            raise Refused(problems)
    except Refused as refused:
        print('pack_payload: refusing %s:' % args.source, file=sys.stderr)
        for problem in refused.args[0]:
            print('  ' + problem, file=sys.stderr)
        return 2
    if args.output:
        pack(entries, args.output)
    if args.entries:
        with open(args.entries, 'w', newline='\n') as f:
            f.writelines(name + '\n' for name, _ in entries)
    files = sum(1 for _, path in entries if path)
    if not args.output:
        print('pack_payload: %d entries (%d files) listed in %s' % (len(entries), files, args.entries))
        return 0
    print('pack_payload: %d entries (%d files) -> %s, %d bytes'
          % (len(entries), files, args.output, os.path.getsize(args.output)))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
