#!/usr/bin/python3
"""Points a 32-bit image's load configuration data directory (entry 10) at the
structure the program defines as _load_config_used, whose address the link
map gives. The directory's size is the structure's own first dword, which
must be 64: Windows XP reads a 32-bit image's load configuration only at
that size.

Usage: set-load-config.py IMAGE LINK_MAP   (exit 0: set, 1: no structure or a bad one)
"""
import re
import struct
import sys

LOAD_CONFIG = 10
SIZE_FOR_XP = 64


def main(image_path, map_path):
    text = open(map_path, encoding='latin-1').read()
    found = re.findall(r'^\s+0x([0-9a-fA-F]+)\s+_?_load_config_used\s*$', text, re.M)
    if len(found) != 1:
        print(f'set-load-config: {map_path}: __load_config_used found {len(found)} times')
        return 1
    address = int(found[0], 16)
    data = bytearray(open(image_path, 'rb').read())
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    sections, opt_size = struct.unpack_from('<H', data, pe + 6)[0], struct.unpack_from('<H', data, pe + 20)[0]
    opt = pe + 24
    if struct.unpack_from('<H', data, opt)[0] != 0x10B:
        print(f'set-load-config: {image_path}: not a PE32 image')
        return 1
    rva = address - struct.unpack_from('<I', data, opt + 28)[0]
    for i in range(sections):
        s = opt + opt_size + 40 * i
        vsize, va, raw_size, raw_ptr = struct.unpack_from('<IIII', data, s + 8)
        if va <= rva and rva + SIZE_FOR_XP <= va + min(vsize, raw_size):
            size = struct.unpack_from('<I', data, raw_ptr + rva - va)[0]
            break
    else:
        print(f'set-load-config: {image_path}: {rva:#x} lies in no section\'s file data')
        return 1
    if size != SIZE_FOR_XP:
        print(f'set-load-config: {image_path}: the structure says {size} bytes, not {SIZE_FOR_XP}')
        return 1
    struct.pack_into('<II', data, opt + 96 + 8 * LOAD_CONFIG, rva, size)
    open(image_path, 'wb').write(data)
    return 0


if __name__ == '__main__':
    sys.exit(main(*sys.argv[1:3]) if len(sys.argv) == 3 else 2)
