#!/usr/bin/python3
"""Writes a small true-colour PNG picture (16 x 12 pixels) to the given path."""
import struct
import sys
import zlib

w, h = 16, 12
raw = b''.join(b'\0' + b''.join(bytes((40 + 10 * x, 120, 200 - 10 * y)) for x in range(w)) for y in range(h))


def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))


png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0)) + \
      chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b'')
open(sys.argv[1], 'wb').write(png)
