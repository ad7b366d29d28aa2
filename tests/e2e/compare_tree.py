#!/usr/bin/python3
"""Compares an installed folder with the payload archive: every file entry
present byte for byte, with the entry's date and time (local time) as its
modification time. Prints one line per difference; exit 1 when any."""
import os
import sys
import time
import zipfile

archive, folder = sys.argv[1], sys.argv[2]
problems = 0
with zipfile.ZipFile(archive) as z:
    for info in z.infolist():
        if info.is_dir():
            continue
        path = os.path.join(folder, *info.filename.split('/'))
        if not os.path.isfile(path):
            print(f"missing: {info.filename}")
            problems += 1
            continue
        if open(path, 'rb').read() != z.read(info):
            print(f"content differs: {info.filename}")
            problems += 1
        expected = time.mktime(info.date_time + (0, 0, -1))
        actual = os.stat(path).st_mtime
        if abs(actual - expected) > 2:
            print(f"time differs: {info.filename}: {time.ctime(actual)} instead of {time.ctime(expected)}")
            problems += 1
print(f"compared {sum(1 for i in zipfile.ZipFile(archive).infolist() if not i.is_dir())} files, {problems} problems")
sys.exit(1 if problems else 0)
