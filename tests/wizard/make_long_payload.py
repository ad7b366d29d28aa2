#!/usr/bin/python3
"""Writes a payload archive that takes seconds to install: every entry of the
shipped payload, then incompressible files below "Daten/" (stored, so that
the time goes to writing, as with pictures).

Usage: make_long_payload.py SHIPPED_ZIP OUT_ZIP MEGABYTES
"""
import random
import sys
import zipfile


def main():
    shipped, out, megabytes = sys.argv[1], sys.argv[2], int(sys.argv[3])
    rng = random.Random(1974)
    with zipfile.ZipFile(shipped) as source, zipfile.ZipFile(out, 'w') as target:
        for info in source.infolist():
            target.writestr(info, source.read(info.filename), compress_type=info.compress_type)
        for i in range(megabytes * 4):
            info = zipfile.ZipInfo(f'Daten/bild{i:04d}.jpg', date_time=(2026, 12, 9, 12, 0, 0))
            target.writestr(info, rng.randbytes(256 * 1024), compress_type=zipfile.ZIP_STORED)


if __name__ == '__main__':
    main()
