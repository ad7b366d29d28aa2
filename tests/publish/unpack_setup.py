#!/usr/bin/python3
"""Unpacks the archive a setup.exe carries into a folder, found as a ZIP
reader finds it: by its end record, wherever the resource lies in the file.
Usage: unpack_setup.py SETUP_EXE FOLDER"""
import io
import struct
import sys
import zipfile

data = open(sys.argv[1], 'rb').read()
end = data.rindex(b'PK\x05\x06')
size, offset = struct.unpack_from('<II', data, end + 12)
start = end - size - offset
zipfile.ZipFile(io.BytesIO(data[start:end + 22])).extractall(sys.argv[2])
