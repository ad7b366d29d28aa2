#!/usr/bin/python3
"""Signs every Windows program and library of a staged folder in place, the
copies the archive is packed from (never the maintainer's own files).

Usage: sign_tree.py FOLDER --url URL (--pkcs12 FILE | --cert FILE --key FILE)
                    [--pass-file FILE] [--timestamp URL]
                    [--name ENTRY=TEXT]... [--size ENTRY=BYTES]...

A file is signed when it is a PE image, whatever its name. --name gives the
description Windows shows for an entry's signature (default: the product
name and the file's name); --size keeps an entry at exactly that many bytes
when it has that size before signing (see sign_file.py).
"""
import argparse
import os
import shutil
import sys
import tempfile

import pe_image
import sign_file


def pairs(items, convert=str):
    result = {}
    for item in items:
        name, sep, value = item.partition('=')
        if not sep:
            sys.exit('sign_tree: ENTRY=VALUE wanted, got %r' % item)
        result[name] = convert(value)
    return result


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('folder')
    parser.add_argument('--url', required=True)
    parser.add_argument('--product', default='Pixolum')
    parser.add_argument('--pkcs12')
    parser.add_argument('--cert')
    parser.add_argument('--key')
    parser.add_argument('--pass-file')
    parser.add_argument('--timestamp')
    parser.add_argument('--name', action='append', default=[])
    parser.add_argument('--size', action='append', default=[])
    args = parser.parse_args()
    if not args.pkcs12 and not (args.cert and args.key):
        parser.error('give --pkcs12, or --cert and --key')
    names = pairs(args.name)
    sizes = pairs(args.size, int)
    signed = 0
    for folder, dirs, files in os.walk(args.folder):
        dirs.sort()
        for file in sorted(files):
            path = os.path.join(folder, file)
            entry = os.path.relpath(path, args.folder).replace(os.sep, '/')
            if pe_image.read(path) is None:
                continue
            args.name = names.get(entry, '%s %s' % (args.product, entry))
            size = sizes.get(entry)
            with tempfile.TemporaryDirectory() as work:
                if size and os.path.getsize(path) == size:
                    result = sign_file.sign_to_size(args, path, size, work)
                else:
                    result = os.path.join(work, 'signed')
                    sign_file.sign(args, path, result)
                shutil.copyfile(result, path)
            signed += 1
    print('sign_tree: %d programs and libraries signed in %s' % (signed, args.folder))
    return 0


if __name__ == '__main__':
    sys.exit(main())
