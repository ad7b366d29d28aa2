#!/usr/bin/env python3
"""Writes the archives the engine tests carry as resources: a small payload
laid out like the viewer's, an archive with a checksum fault, and an empty file.
Fixed order and date, so the bytes are the same on every build."""
import struct
import sys
import zipfile
from pathlib import Path

STAMP = (2020, 5, 17, 10, 20, 30)


def sample(size, seed):
    state, out = seed * 2654435761 + 1, bytearray()
    for i in range(size):
        state = (state * 1103515245 + 12345) & 0xFFFFFFFF
        out.append(ord('\n') if i % 61 == 60 else ord('a') + (state >> 16) % 12)
    return bytes(out)


ENTRIES = [
    ("pixo32.exe", b"MZ stand-in viewer\0" + sample(90000, 7)),
    ("px_uninstall.exe", b"MZ stand-in uninstaller"),
    ("Plugins/Icons.dll", b"MZ payload icon library"),
    ("Plugins/", None),
    ("Languages/Deutsch.dll", b"MZ Deutsch"),
    ("Help/pixo32_deutsch.chm", b"ITSF"),
    ("Html/index.htm", b"<html><body>Pixolum</body></html>"),
    ("Toolbars/gnome-colors-human_48.png", b"\x89PNG 48"),
    ("Toolbars/gnome-colors-wise_32.png", b"\x89PNG 32"),
    ("Toolbars/Kestrin_24.png", b"\x89PNG 24"),
    ("Toolbars/Marlo_16.png", b"\x89PNG 16"),
    ("p_about.txt", "Pixolum \u2013 \u00fcber das Programm\r\n".encode("cp1252")),
    ("p_changes.txt", b"Pixolum changes\r\n"),
    ("p_options.txt", b"Pixolum options\r\n"),
    ("p_plugins.txt", b"Pixolum plugins\r\n"),
    ("p_languages.txt", b"Pixolum languages\r\n"),
]


def write_zip(path, entries):
    with zipfile.ZipFile(path, "w") as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, STAMP)
            info.create_system = 0
            if data is None:
                info.external_attr = 0x10
                archive.writestr(info, b"")
            else:
                info.compress_type = zipfile.ZIP_DEFLATED
                archive.writestr(info, data)


def main():
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    write_zip(out / "test_payload.zip", ENTRIES)
    (out / "empty.bin").write_bytes(b"")

    # Same archive with the checksum of "p_about.txt" spoiled in both headers.
    broken = out / "broken_payload.zip"
    write_zip(broken, ENTRIES)
    data = bytearray(broken.read_bytes())
    name = b"p_about.txt"
    for signature, name_at, crc_at in ((b"PK\x03\x04", 30, 14), (b"PK\x01\x02", 46, 16)):
        at = data.find(signature)
        while at >= 0:
            if data[at + name_at:at + name_at + len(name)] == name:
                crc, = struct.unpack_from("<I", data, at + crc_at)
                struct.pack_into("<I", data, at + crc_at, crc ^ 0x5A5A5A5A)
            at = data.find(signature, at + 4)
    broken.write_bytes(bytes(data))


if __name__ == "__main__":
    main()
