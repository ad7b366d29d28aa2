#!/usr/bin/python3
"""Pads a file with zero bytes at its end to an exact size.

Usage: pad_to_size.py FILE SIZE

The setup replaces an installed Plugins/Icons.dll of version 4.30 only when
it is the maker's build of exactly 226,816 bytes; any other 4.30 is taken
for a user's own copy and kept. The library built here is that build, so it
is brought to that size: the bytes after the last section of a PE image are
not loaded and change nothing else. A file already larger is refused.
"""
import os
import sys


def pad(path, size):
    current = os.path.getsize(path)
    if current > size:
        sys.exit('pad_to_size: %s has %d bytes, more than %d' % (path, current, size))
    with open(path, 'ab') as f:
        f.write(bytes(size - current))
    return 0


if __name__ == '__main__':
    if len(sys.argv) != 3:
        sys.exit('usage: pad_to_size.py FILE SIZE')
    sys.exit(pad(sys.argv[1], int(sys.argv[2])))
