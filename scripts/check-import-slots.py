#!/usr/bin/python3
"""Checks, without running it, that every slot a 32-bit program calls through
holds something when the program starts.

An indirect call or jump through an absolute address (`call [slot]`, `jmp
[slot]`, or loading the slot into a register first) carries a base relocation
on its address operand. Every such operand that points into the import data,
or into a delay-load table, must name either

  - a slot of an import descriptor's address table whose name entry in the
    file is valid (the loader fills it at start-up), or
  - a delay-load slot whose value in the file is the address of code inside
    the program (its loading stub).

A slot outside every table, or one that holds 0 or points outside the code,
would send the program to a null or dangling address at the first call.

Usage: check-import-slots.py PROGRAM...   (exit 0: all sound, 1: a fault, 2: unreadable)
"""
import struct
import sys

IMAGE_SCN_MEM_EXECUTE = 0x20000000
IMAGE_REL_BASED_HIGHLOW = 3


class Image:
    def __init__(self, path):
        self.data = open(path, 'rb').read()
        d = self.data
        if d[:2] != b'MZ':
            raise ValueError('not an MZ image')
        pe = struct.unpack_from('<I', d, 0x3C)[0]
        if d[pe:pe + 4] != b'PE\0\0':
            raise ValueError('no PE signature')
        machine, sections, _, _, _, opt_size, _ = struct.unpack_from('<HHIIIHH', d, pe + 4)
        if machine != 0x14C:
            raise ValueError(f'machine {machine:#x} is not i386')
        opt = pe + 24
        if struct.unpack_from('<H', d, opt)[0] != 0x10B:
            raise ValueError('not a PE32 optional header')
        self.image_base = struct.unpack_from('<I', d, opt + 28)[0]
        self.image_size = struct.unpack_from('<I', d, opt + 56)[0]
        count = struct.unpack_from('<I', d, opt + 92)[0]
        self.dirs = [struct.unpack_from('<II', d, opt + 96 + 8 * i) for i in range(min(count, 16))]
        self.sections = []
        for i in range(sections):
            s = opt + opt_size + 40 * i
            name = d[s:s + 8].rstrip(b'\0').decode('latin-1')
            vsize, va, raw_size, raw_ptr = struct.unpack_from('<IIII', d, s + 8)
            flags = struct.unpack_from('<I', d, s + 36)[0]
            self.sections.append((name, va, max(vsize, raw_size), raw_size, raw_ptr, flags))

    def directory(self, index):
        return self.dirs[index] if index < len(self.dirs) else (0, 0)

    def section_of(self, rva):
        for sec in self.sections:
            if sec[1] <= rva < sec[1] + sec[2]:
                return sec
        return None

    def dword(self, rva):
        """The dword at rva as the file holds it (0 in uninitialised data)."""
        sec = self.section_of(rva)
        if not sec:
            raise ValueError(f'rva {rva:#x} lies in no section')
        off = rva - sec[1]
        if off + 4 > sec[3]:
            return 0
        return struct.unpack_from('<I', self.data, sec[4] + off)[0]

    def cstring(self, rva):
        sec = self.section_of(rva)
        if not sec or rva - sec[1] >= sec[3]:
            return None
        start = sec[4] + rva - sec[1]
        end = self.data.find(b'\0', start, sec[4] + sec[3])
        return None if end < 0 else self.data[start:end]

    def is_code(self, rva):
        sec = self.section_of(rva)
        return bool(sec and sec[5] & IMAGE_SCN_MEM_EXECUTE)

    def relocations(self):
        rva, size = self.directory(5)
        out, pos = [], 0
        while pos + 8 <= size:
            page, block = struct.unpack_from('<II', self._bytes(rva + pos, 8))
            if block < 8:
                break
            entries = self._bytes(rva + pos + 8, block - 8)
            for i in range(0, len(entries) - 1, 2):
                e = struct.unpack_from('<H', entries, i)[0]
                if e >> 12 == IMAGE_REL_BASED_HIGHLOW:
                    out.append(page + (e & 0xFFF))
            pos += block
        return out

    def _bytes(self, rva, n):
        sec = self.section_of(rva)
        start = sec[4] + rva - sec[1]
        return self.data[start:start + n]


def check(path):
    img = Image(path)
    faults = []
    filled = {}      # slot rva -> import name, for slots the loader fills
    delayed = set()  # delay-load slots that point at code
    regions = []     # [start, end) rvas of the import and delay-load data

    imp_rva, imp_size = img.directory(1)
    if imp_rva:
        sec = img.section_of(imp_rva)
        regions.append((sec[1], sec[1] + sec[2]))
        pos = imp_rva
        while True:
            oft, _, _, name_rva, ft = struct.unpack_from('<IIIII', img._bytes(pos, 20))
            if not (oft or name_rva or ft):
                break
            dll = (img.cstring(name_rva) or b'?').decode('latin-1')
            i = 0
            while True:
                slot = ft + 4 * i
                value = img.dword(slot)
                if value == 0:
                    break
                if oft and img.dword(oft + 4 * i) != value:
                    faults.append(f'{dll}: slot {slot:#x} differs from its name entry')
                if value & 0x80000000:
                    filled[slot] = f'{dll}#{value & 0xFFFF}'
                else:
                    name = img.cstring(value + 2) if value < img.image_size else None
                    if not name:
                        faults.append(f'{dll}: slot {slot:#x} names nothing ({value:#x})')
                    else:
                        filled[slot] = f'{dll}!{name.decode("latin-1")}'
                i += 1
            pos += 20

    delay_rva, _ = img.directory(13)
    if delay_rva:
        pos = delay_rva
        while True:
            attrs, name, _, iat, _, _, _, _ = struct.unpack_from('<8I', img._bytes(pos, 32))
            if not (name or iat):
                break
            rva_based = attrs & 1
            to_rva = (lambda v: v) if rva_based else (lambda v: v - img.image_base)
            dll = (img.cstring(to_rva(name)) or b'?').decode('latin-1')
            sec = img.section_of(to_rva(iat))
            regions.append((sec[1], sec[1] + sec[2]))
            i = 0
            while True:
                slot = to_rva(iat) + 4 * i
                value = img.dword(slot)
                if value == 0:
                    break
                if img.is_code(value - img.image_base):
                    delayed.add(slot)
                else:
                    faults.append(f'{dll}: delay-load slot {slot:#x} holds {value:#x}, not code')
                i += 1
            pos += 32

    calls = 0
    for reloc in img.relocations():
        if not img.is_code(reloc):
            continue
        target = img.dword(reloc) - img.image_base
        if not any(a <= target < b for a, b in regions):
            continue
        calls += 1
        if target in filled or target in delayed:
            continue
        va = target + img.image_base
        faults.append(f'code near {reloc + img.image_base:#x} calls through {va:#x}, which no import '
                      f'table fills (the file holds {img.dword(target):#x} there)')
    return calls, len(filled), len(delayed), faults


def main(paths):
    status = 0
    for path in paths:
        try:
            calls, filled, delayed, faults = check(path)
        except (OSError, ValueError, struct.error, TypeError) as e:
            print(f'check-import-slots: {path}: unreadable: {e}')
            status = max(status, 2)
            continue
        for f in faults:
            print(f'check-import-slots: {path}: {f}')
        if faults:
            status = max(status, 1)
        else:
            print(f'check-import-slots: {path}: {calls} references to {filled} loader-filled '
                  f'and {delayed} delay-load slots, all sound')
    return status


if __name__ == '__main__':
    if len(sys.argv) < 2:
        print(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1:]))
