#!/usr/bin/python3
"""Lays out the viewer's files in the folder that pack_payload.py packs.

Usage: stage_payload.py OUT_DIR [--tree DIR]... [--copy DIR [--any-machine]]
                        [--file NAME=PATH]...

OUT_DIR is emptied first, so a file dropped from the sources does not linger
in the archive. --tree copies a folder of our sources; its text files (.txt)
become what the Windows editor opening them from the Start menu expects:
UTF-8 with a byte order mark and CR LF line ends; in them --define
NAME=VALUE puts the product's identity for "@NAME@". --copy copies a folder
byte for byte (the viewer's own files, or a staged folder), after the
packer's checks of its names, links and programs (see pack_payload.py).
--file puts one file under an archive name ("Plugins/Icons.dll"), in place
of one copied before, and says so when it replaces a --copy folder's file
(not with --staged: the folder is one staged before).
"""
import argparse
import os
import shutil
import sys

import pack_payload

BOM = b'\xef\xbb\xbf'


def copy_one(src, dst, defines=()):
    os.makedirs(os.path.dirname(dst), exist_ok=True)
    if dst.lower().endswith('.txt'):
        with open(src, 'rb') as f:
            data = f.read()
        if data.startswith(BOM):
            data = data[len(BOM):]
        data.decode('utf-8')  # refuse a text that is not UTF-8
        for name, value in defines:
            data = data.replace(b'@' + name.encode() + b'@', value.encode('utf-8'))
        data = data.replace(b'\r\n', b'\n').replace(b'\n', b'\r\n')
        with open(dst, 'wb') as f:
            f.write(BOM + data)
    else:
        shutil.copyfile(src, dst)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('out')
    parser.add_argument('--tree', action='append', default=[])
    parser.add_argument('--define', action='append', default=[],
                        help='NAME=VALUE: @NAME@ in the texts of --tree folders becomes VALUE')
    parser.add_argument('--copy', action='append', default=[])
    parser.add_argument('--any-machine', action='store_true')
    parser.add_argument('--staged', action='store_true', help='--copy folders are staged ones: no notes')
    parser.add_argument('--file', action='append', default=[])
    args = parser.parse_args(argv)

    defines = [item.partition('=')[::2] for item in args.define]
    if os.path.isdir(args.out):
        shutil.rmtree(args.out)
    os.makedirs(args.out)
    for tree in args.tree:
        for folder, dirs, files in os.walk(tree):
            dirs.sort()
            rel = os.path.relpath(folder, tree)
            os.makedirs(os.path.normpath(os.path.join(args.out, rel)), exist_ok=True)
            for name in sorted(files):
                copy_one(os.path.join(folder, name), os.path.normpath(os.path.join(args.out, rel, name)),
                         defines)
    copied = {}
    for folder in args.copy:
        try:
            entries = pack_payload.collect(folder, required=())
            problems = pack_payload.check_programs(entries, args.any_machine,
                                                   skip=(pack_payload.UNINSTALLER,))
        except pack_payload.Refused as refused:
            problems = refused.args[0]
        if problems:
            print('stage_payload: refusing %s:' % folder, file=sys.stderr)
            for problem in problems:
                print('  ' + problem, file=sys.stderr)
            return 2
        for name, path in entries:
            target = os.path.join(args.out, *name.rstrip('/').split('/'))
            if path is None:
                os.makedirs(target, exist_ok=True)
            else:
                os.makedirs(os.path.dirname(target), exist_ok=True)
                shutil.copyfile(path, target)
                copied[name] = folder
    for item in args.file:
        name, sep, path = item.partition('=')
        if not sep or not name or not path:
            sys.exit('stage_payload: --file wants NAME=PATH, got %r' % item)
        target = os.path.join(args.out, *name.split('/'))
        if name in copied:
            shutil.copyfile(path, target)
            if not args.staged:
                print('stage_payload: %s of %s is not packed; the one built here takes its place'
                      % (name, copied[name]))
        else:
            copy_one(path, target)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
