#!/usr/bin/python3
"""Signs one Windows program or library in place with osslsigncode (Authenticode, SHA-256).

Usage: sign_file.py FILE --name TEXT --url URL
                    (--pkcs12 FILE | --cert FILE --key FILE) [--pass-file FILE]
                    [--timestamp URL] [--size BYTES]

--name and --url are shown by Windows in the signature's details. With
--timestamp, an RFC 3161 time-stamp authority countersigns, so the signature
stays valid after the certificate expires. With --size the signed file gets
exactly that many bytes: zero bytes are added after the image before signing
(they are not loaded). The setup recognises the maker's build of the icon
library by its size, and a signed copy must still be recognised; zero bytes
after the image that are already there (an earlier padding) make room for
the signature.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

import pe_image
from pad_to_size import pad


def sign(args, source, target):
    command = ['osslsigncode', 'sign', '-h', 'sha256', '-n', args.name, '-i', args.url]
    if args.pkcs12:
        command += ['-pkcs12', args.pkcs12]
    else:
        command += ['-certs', args.cert, '-key', args.key]
    if args.pass_file:
        command += ['-readpass', args.pass_file]
    if args.timestamp:
        command += ['-ts', args.timestamp]
    command += ['-in', source, '-out', target]
    # osslsigncode refuses to overwrite, and a retry signs to the same name.
    if os.path.exists(target):
        os.remove(target)
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    if result.returncode != 0:
        sys.exit('sign_file: osslsigncode failed for %s:\n%s' % (source, result.stdout))


def strip_padding(path):
    """Cuts zero bytes after the image's last section."""
    image = pe_image.read(path)
    if image is None:
        return
    with open(path, 'r+b') as f:
        f.seek(image.end)
        if not f.read().strip(b'\0'):
            f.truncate(image.end)


def sign_to_size(args, path, size, work):
    # The signature is appended at an 8-byte boundary; its own length is
    # learnt from a trial signature of the unpadded file. A time stamp echoes
    # the request's random nonce, whose encoding varies by a byte, so the
    # aligned length can differ by 8 from one signing to the next: measure
    # and sign again (each try succeeds at least every other time).
    unpadded = os.path.join(work, 'unpadded')
    shutil.copyfile(path, unpadded)
    strip_padding(unpadded)
    aligned = (os.path.getsize(unpadded) + 7) // 8 * 8
    trial = os.path.join(work, 'trial')
    sign(args, unpadded, trial)
    signature = os.path.getsize(trial) - aligned
    lengths = [signature]
    for _ in range(10):
        padded = os.path.join(work, 'padded')
        shutil.copyfile(unpadded, padded)
        pad(padded, size - signature)
        signed = os.path.join(work, 'signed')
        sign(args, padded, signed)
        if os.path.getsize(signed) == size:
            return signed
        signature = os.path.getsize(signed) - (size - signature)
        lengths.append(signature)
    sys.exit('sign_file: could not sign %s to exactly %d bytes (signatures of %s bytes)'
             % (path, size, ', '.join(map(str, lengths))))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('file')
    parser.add_argument('--name', required=True)
    parser.add_argument('--url', required=True)
    parser.add_argument('--pkcs12')
    parser.add_argument('--cert')
    parser.add_argument('--key')
    parser.add_argument('--pass-file')
    parser.add_argument('--timestamp')
    parser.add_argument('--size', type=int)
    args = parser.parse_args()
    if not args.pkcs12 and not (args.cert and args.key):
        parser.error('give --pkcs12, or --cert and --key')
    with tempfile.TemporaryDirectory() as work:
        if args.size:
            signed = sign_to_size(args, args.file, args.size, work)
        else:
            signed = os.path.join(work, 'signed')
            sign(args, args.file, signed)
        shutil.copyfile(signed, args.file)
    return 0


if __name__ == '__main__':
    sys.exit(main())
