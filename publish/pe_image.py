#!/usr/bin/python3
"""Reads the headers of a Windows program or library (PE image): what kind
of image a file is, and where the image ends (the loader reads nothing
after the last section; a signature or padding lies beyond)."""
import struct

MACHINE_I386 = 0x14C
MACHINE_AMD64 = 0x8664
MAGIC_PE32 = 0x10B
MAGIC_PE32_PLUS = 0x20B
FLAG_EXECUTABLE = 0x0002
FLAG_DLL = 0x2000
SUBSYSTEM_GUI = 2
SUBSYSTEM_CONSOLE = 3


class Image:
    def __init__(self, machine, magic, characteristics, subsystem, end):
        self.machine = machine
        self.magic = magic
        self.characteristics = characteristics
        self.subsystem = subsystem
        self.end = end  # file offset after the last section's data

    @property
    def is_dll(self):
        return bool(self.characteristics & FLAG_DLL)

    @property
    def bits(self):
        if self.machine == MACHINE_I386 and self.magic == MAGIC_PE32:
            return 32
        if self.machine == MACHINE_AMD64 and self.magic == MAGIC_PE32_PLUS:
            return 64
        return None


def read(path):
    """The image's headers, or None when the file is no PE image."""
    with open(path, 'rb') as f:
        head = f.read(4096)
        size = f.seek(0, 2)
    if len(head) < 64 or head[:2] != b'MZ':
        return None
    (pe,) = struct.unpack_from('<I', head, 0x3C)
    if pe + 24 > len(head) or head[pe:pe + 4] != b'PE\0\0':
        return None
    machine, sections, _, _, _, optional_size, characteristics = struct.unpack_from('<HHIIIHH', head, pe + 4)
    optional = pe + 24
    table = optional + optional_size
    if optional_size < 70 or table + 40 * sections > len(head) or sections == 0:
        return None
    (magic,) = struct.unpack_from('<H', head, optional)
    (subsystem,) = struct.unpack_from('<H', head, optional + 68)
    end = 0
    for i in range(sections):
        raw_size, raw_pointer = struct.unpack_from('<II', head, table + 40 * i + 16)
        if raw_size:
            end = max(end, raw_pointer + raw_size)
    if not characteristics & FLAG_EXECUTABLE or end > size:
        return None
    return Image(machine, magic, characteristics, subsystem, end)
