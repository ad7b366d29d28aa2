#!/usr/bin/python3
"""Reads shipped 32-bit programs and checks what decides where their DLLs come
from before their first instruction runs:

  - every DLL in the import table is one of Windows' known DLLs (listed under
    Session Manager\\KnownDLLs on both Windows 7 and Windows 10), which the
    loader takes from the system folder whatever lies beside the program;
  - the load configuration data directory points at a structure inside the
    image, of 64 bytes (the size Windows XP reads), whose DependentLoadFlags
    hold LOAD_LIBRARY_SEARCH_SYSTEM32 (0x800): Windows 10 1607 and later
    resolve the imports of those DLLs from the system folder too.

Usage: dll_search_check.py PROGRAM...   (exit 0: all sound, 1: a fault)
"""
import struct
import sys

KNOWN_DLLS = {'advapi32', 'clbcatq', 'comdlg32', 'difxapi', 'gdi32', 'imagehlp', 'imm32',
              'kernel32', 'msctf', 'msvcrt', 'normaliz', 'nsi', 'ole32', 'oleaut32', 'psapi',
              'rpcrt4', 'sechost', 'setupapi', 'shell32', 'shlwapi', 'user32', 'wldap32', 'ws2_32'}
LOAD_LIBRARY_SEARCH_SYSTEM32 = 0x800


def check(path):
    d = open(path, 'rb').read()
    pe = struct.unpack_from('<I', d, 0x3C)[0]
    nsec, opt_size = struct.unpack_from('<H', d, pe + 6)[0], struct.unpack_from('<H', d, pe + 20)[0]
    opt = pe + 24
    if struct.unpack_from('<H', d, opt)[0] != 0x10B:
        return [f'{path}: not a PE32 image']
    sections = [struct.unpack_from('<IIII', d, opt + opt_size + 40 * i + 8) for i in range(nsec)]

    def offset(rva, size=1):
        for vsize, va, raw, ptr in sections:
            if va <= rva and rva + size <= va + min(vsize, raw):
                return ptr + rva - va
        return None

    def directory(i):
        return struct.unpack_from('<II', d, opt + 96 + 8 * i)

    faults = []
    imports, _ = directory(1)
    at = offset(imports, 20)
    while at is not None and struct.unpack_from('<I', d, at + 12)[0]:
        name_at = offset(struct.unpack_from('<I', d, at + 12)[0])
        name = d[name_at:d.index(b'\0', name_at)].decode('latin-1').lower()
        if name.removesuffix('.dll') not in KNOWN_DLLS:
            faults.append(f'{path}: imports {name}, which is no known DLL: the loader looks beside the program first')
        at += 20

    rva, size = directory(10)
    at = offset(rva, 64) if rva else None
    if at is None:
        faults.append(f'{path}: no load configuration inside the image (directory {rva:#x}, {size} bytes)')
    else:
        own_size = struct.unpack_from('<I', d, at)[0]
        flags = struct.unpack_from('<H', d, at + 54)[0]
        if size != 64 or own_size != 64:
            faults.append(f'{path}: load configuration of {size} bytes (structure: {own_size}), Windows XP reads 64')
        if not flags & LOAD_LIBRARY_SEARCH_SYSTEM32:
            faults.append(f'{path}: DependentLoadFlags {flags:#x} lack LOAD_LIBRARY_SEARCH_SYSTEM32')
    return faults


faults = [fault for program in sys.argv[1:] for fault in check(program)]
print('\n'.join(faults) or f'dll_search_check: {len(sys.argv) - 1} programs: known DLLs only, '
      'DependentLoadFlags 0x800 in a 64-byte load configuration')
sys.exit(1 if faults or len(sys.argv) < 2 else 0)
