#!/usr/bin/python3
"""Summarises a perf profile of the setup under Wine.

Usage: profile_report.py PERF_DATA SETUP_EXE [TOP]

perf knows nothing of PE symbols: samples inside the setup's own image come
as file offsets. With a file alignment equal to the section alignment the
offset is the RVA, so `nm` of the profiled program, linked without
stripping, names the function. Prints the share of each part (kernel, Wine's Unix side, the
setup's code by library) and the hottest functions.
"""
import bisect
import collections
import re
import struct
import subprocess
import sys


def image_base(exe):
    """The preferred load address and the nm of the program's machine."""
    with open(exe, 'rb') as f:
        head = f.read(4096)
    pe = struct.unpack_from('<I', head, 0x3C)[0]
    if struct.unpack_from('<H', head, pe + 24)[0] == 0x10B:
        return struct.unpack_from('<I', head, pe + 24 + 28)[0], 'i686-w64-mingw32-nm'
    return struct.unpack_from('<Q', head, pe + 24 + 24)[0], 'x86_64-w64-mingw32-nm'


def symbols(exe, nm):
    out = subprocess.run([nm, '-n', '--defined-only', '-C', exe],
                         capture_output=True, text=True, check=True).stdout
    table = []
    for line in out.splitlines():
        parts = line.split(' ', 2)
        if len(parts) == 3 and parts[1] in 'tT':
            # 32-bit C names carry a leading underscore.
            name = parts[2][1:] if nm.startswith('i686') and parts[2].startswith('_') else parts[2]
            table.append((int(parts[0], 16), name))
    return table


def library_of(name):
    if re.match(r'(inflate|crc32|adler32|zcalloc|zcfree|updatewindow|fixedtables)', name):
        return 'zlib'
    if re.match(r'(unz|zip|win32_|fill_win32|call_zseek|unz64)', name):
        return 'minizip'
    if re.search(r'(Extract|CopyEntry|MakeParent|SetFileDate|ZipReader|OutputFile|IsContained)', name):
        return 'extraction'
    if re.match(r'(mem|str|wcs|_?f(write|read|open|close|flush))', name):
        return 'C runtime (static)'
    return 'other setup code'


def main():
    data, exe = sys.argv[1], sys.argv[2]
    top = int(sys.argv[3]) if len(sys.argv) > 3 else 15
    report = subprocess.run(['perf', 'report', '-i', data, '--no-children', '--sort', 'dso,sym',
                             '-g', 'none', '--stdio'], capture_output=True, text=True).stdout
    base, nm = image_base(exe)
    table = symbols(exe, nm)
    addresses = [a for a, _ in table]
    exe_name = exe.rsplit('/', 1)[-1]
    parts = collections.Counter()
    functions = collections.Counter()
    for line in report.splitlines():
        m = re.match(r'\s+([\d.]+)%\s+(\S+)\s+\[(.)\]\s+(.*)$', line)
        if not m:
            continue
        share, dso, kind, sym = float(m.group(1)), m.group(2), m.group(3), m.group(4).strip()
        if dso == exe_name and sym.startswith('0x'):
            address = base + int(sym, 16)
            i = bisect.bisect_right(addresses, address) - 1
            name = table[i][1] if i >= 0 else sym
            parts['setup: ' + library_of(name)] += share
            functions['setup: ' + name] += share
        elif kind == 'k':
            parts['kernel'] += share
            functions['kernel: ' + sym] += share
        else:
            group = 'Wine (Unix side)' if dso.endswith('.so') or '.so.' in dso else 'Wine (PE side)'
            if dso.startswith('lib') and '.so' in dso:
                group = 'host libraries'
            parts[group + ': ' + dso] += share
            functions[dso + ': ' + sym] += share
    print('share of samples by part')
    for name, share in parts.most_common():
        if share >= 0.5:
            print(f'  {share:6.1f} %  {name}')
    print(f'hottest functions (top {top})')
    for name, share in functions.most_common(top):
        print(f'  {share:6.1f} %  {name}')


if __name__ == '__main__':
    main()
