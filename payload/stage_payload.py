#!/usr/bin/python3
"""Lays out the viewer's files in the folder that pack_payload.py packs.

Usage: stage_payload.py OUT_DIR [--tree DIR]... [--file NAME=PATH]...

OUT_DIR is emptied first, so a file dropped from the sources does not linger
in the archive. --tree copies a folder's content; --file puts one file under
an archive name ("Plugins/Icons.dll"). Text files (.txt) become what the
Windows editor opening them from the Start menu expects: UTF-8 with a byte
order mark and CR LF line ends.
"""
import argparse
import os
import shutil
import sys

BOM = b'\xef\xbb\xbf'


def copy_one(src, dst):
    os.makedirs(os.path.dirname(dst), exist_ok=True)
    if dst.lower().endswith('.txt'):
        with open(src, 'rb') as f:
            data = f.read()
        if data.startswith(BOM):
            data = data[len(BOM):]
        data.decode('utf-8')  # refuse a text that is not UTF-8
        data = data.replace(b'\r\n', b'\n').replace(b'\n', b'\r\n')
        with open(dst, 'wb') as f:
            f.write(BOM + data)
    else:
        shutil.copyfile(src, dst)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('out')
    parser.add_argument('--tree', action='append', default=[])
    parser.add_argument('--file', action='append', default=[])
    args = parser.parse_args(argv)

    if os.path.isdir(args.out):
        shutil.rmtree(args.out)
    os.makedirs(args.out)
    for tree in args.tree:
        for folder, dirs, files in os.walk(tree):
            dirs.sort()
            rel = os.path.relpath(folder, tree)
            os.makedirs(os.path.normpath(os.path.join(args.out, rel)), exist_ok=True)
            for name in sorted(files):
                copy_one(os.path.join(folder, name), os.path.normpath(os.path.join(args.out, rel, name)))
    for item in args.file:
        name, sep, path = item.partition('=')
        if not sep or not name or not path:
            sys.exit('stage_payload: --file wants NAME=PATH, got %r' % item)
        copy_one(path, os.path.join(args.out, *name.split('/')))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
