#!/usr/bin/python3
"""What the setup's code costs, by library, from a GNU ld map file.

Usage: map_sizes.py SETUP.map [TOP]

Walks the memory map (after garbage collection of sections) and adds up the
input sections that landed in each output section, grouped by the archive
or object file they came from. Prints a table: library, .text, .rdata,
.eh_frame, .data/.bss, total.
"""
import collections
import os
import re
import sys

GROUPS = (
    (r'libstdc\+\+', 'libstdc++'),
    (r'libsupc\+\+', 'libsupc++'),
    (r'libgcc_eh|libgcc\.a', 'libgcc (unwinder, helpers)'),
    (r'libmingwex', 'mingw-w64 libmingwex'),
    (r'libmingw32|crt2|crtbegin|crtend|dllcrt', 'mingw-w64 start-up'),
    (r'libmsvcrt|libucrt', 'msvcrt import stubs'),
    (r'libwinpthread', 'winpthread'),
    (r'libz\.a|libzstatic', 'zlib'),
    (r'libminizip', 'minizip'),
    (r'lib(kernel32|user32|gdi32|advapi32|shell32|ole32|comctl32|uuid|oleaut32)', 'Windows import stubs'),
    (r'libpx_engine|libpx_install', 'engine'),
    (r'libpx_journal', 'journal'),
    (r'libpx_registration', 'registration'),
    (r'libpx_wizard', 'wizard'),
    (r'libpx_framework', 'framework'),
    (r'libpx_controls', 'controls'),
    (r'setup\.dir', 'app (start-up, command line)'),
)


def group_of(source):
    # Words the linker script itself places (the ends of the constructor lists).
    if re.match(r'(BYTE|SHORT|LONG|QUAD) ', source):
        return 'linker script'
    for pattern, name in GROUPS:
        if re.search(pattern, source):
            return name
    return os.path.basename(source.split('(')[0]) or 'linker'


def kind_of(output):
    if output.startswith('.text'):
        return '.text'
    if output.startswith('.rdata'):
        return '.rdata'
    if output.startswith('.eh_fram'):
        return '.eh_frame'
    if output in ('.data', '.bss', '.tls', '.CRT'):
        return '.data/.bss'
    return None


def main():
    lines = open(sys.argv[1], encoding='utf-8', errors='replace').read().splitlines()
    start = next(i for i, l in enumerate(lines) if l.startswith('Linker script and memory map'))
    sizes = collections.defaultdict(collections.Counter)
    output = None
    pending = None
    for line in lines[start:]:
        m = re.match(r'^(\.\S+)\s+0x[0-9a-f]+\s+0x[0-9a-f]+', line)
        if m:
            output = m.group(1)
            continue
        m = re.match(r'^(\.\S+)\s*$', line)
        if m and not line.startswith(' '):
            output = m.group(1)
            continue
        m = re.match(r'^ (\S+)\s*$', line)
        if m:
            pending = m.group(1)
            continue
        m = re.match(r'^ (\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$', line)
        if m and output:
            size = int(m.group(3), 16)
            kind = kind_of(output)
            if kind and size:
                sizes[group_of(m.group(4))][kind] += size
            pending = None
    kinds = ('.text', '.rdata', '.eh_frame', '.data/.bss')
    rows = sorted(sizes.items(), key=lambda kv: -sum(kv[1].values()))
    print(f'{"library":32s}' + ''.join(f'{k:>11s}' for k in kinds) + f'{"total":>11s}')
    totals = collections.Counter()
    for name, counter in rows:
        total = sum(counter[k] for k in kinds)
        totals.update(counter)
        print(f'{name:32s}' + ''.join(f'{counter[k]:11d}' for k in kinds) + f'{total:11d}')
    print(f'{"all":32s}' + ''.join(f'{totals[k]:11d}' for k in kinds) +
          f'{sum(totals[k] for k in kinds):11d}')


if __name__ == '__main__':
    main()
