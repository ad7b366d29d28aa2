#!/usr/bin/python3
"""Setups with a payload large enough to be cut off in the middle, made from
the shipped setup without a second build: its payload archive (resource type
"ZIP", id 1974) is read, widened by a few hundred data files of random bytes
(deflate cannot shrink them), and put into copies of the setup.

  payload_setups.py SETUP_EXE OUT_DIR SEED

writes into OUT_DIR:
  v1.zip, setup_v1.exe  the payload and 300 data files under Daten\\
  v2.zip, setup_v2.exe  an update: every third data file and the text files
                        changed, 10 new data files
  v3.zip, setup_v3.exe  the update with one more entry at its end,
                        Daten/Gesperrt/Inhalt.bin: where a file named
                        Daten\\Gesperrt lies, that update fails after
                        everything else was written

The new archive goes into a section appended to the copy, and the resource's
data entry points there; the rest of the program stays byte for byte.
"""
import io
import random
import struct
import sys
import zipfile

RT_NAME = 'ZIP'
RT_ID = 1974


def resource_data_entry(image, sections, rsrc_rva):
    """File offset of the IMAGE_RESOURCE_DATA_ENTRY of "ZIP"/1974."""
    def file_offset(rva):
        for vsize, va, rawsize, raw in sections:
            if va <= rva < va + max(vsize, rawsize):
                return raw + rva - va
        raise SystemExit('RVA %#x outside every section' % rva)

    base = file_offset(rsrc_rva)

    def entries(offset):
        named, ids = struct.unpack_from('<HH', image, base + offset + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from('<II', image, base + offset + 16 + 8 * i)
            if name & 0x80000000:
                at = base + (name & 0x7fffffff)
                length = struct.unpack_from('<H', image, at)[0]
                key = image[at + 2:at + 2 + 2 * length].decode('utf-16-le')
            else:
                key = name
            yield key, target

    def find(offset, wanted):
        for key, target in entries(offset):
            if key == wanted or (isinstance(key, str) and isinstance(wanted, str) and key.upper() == wanted):
                return target
        raise SystemExit('no resource %r' % (wanted,))

    types = find(0, RT_NAME)
    names = find(types & 0x7fffffff, RT_ID)
    languages = names & 0x7fffffff
    _, data = next(entries(languages))
    return base + data


def read_payload(image):
    pe = struct.unpack_from('<I', image, 60)[0]
    count = struct.unpack_from('<H', image, pe + 6)[0]
    optional_size = struct.unpack_from('<H', image, pe + 20)[0]
    opt = pe + 24
    if struct.unpack_from('<H', image, opt)[0] != 0x10b:
        raise SystemExit('not a 32-bit program')
    table = opt + optional_size
    sections = [struct.unpack_from('<IIII', image, table + 40 * i + 8) for i in range(count)]
    rsrc_rva = struct.unpack_from('<I', image, opt + 96 + 8 * 2)[0]
    entry = resource_data_entry(image, sections, rsrc_rva)
    rva, size = struct.unpack_from('<II', image, entry)
    for vsize, va, rawsize, raw in sections:
        if va <= rva < va + vsize:
            return image[raw + rva - va:raw + rva - va + size]
    raise SystemExit('payload outside every section')


def with_payload(image, payload):
    image = bytearray(image)
    pe = struct.unpack_from('<I', image, 60)[0]
    count = struct.unpack_from('<H', image, pe + 6)[0]
    optional_size = struct.unpack_from('<H', image, pe + 20)[0]
    opt = pe + 24
    section_align, file_align = struct.unpack_from('<II', image, opt + 32)
    headers_size = struct.unpack_from('<I', image, opt + 60)[0]
    table = opt + optional_size
    sections = [struct.unpack_from('<IIII', image, table + 40 * i + 8) for i in range(count)]
    if table + 40 * (count + 1) > min(headers_size, min(raw for _, _, size, raw in sections if size)):
        raise SystemExit('no room for another section header')
    # A signature would no longer match: it goes.
    cert_offset, cert_size = struct.unpack_from('<II', image, opt + 96 + 8 * 4)
    if cert_size:
        del image[cert_offset:]
        struct.pack_into('<II', image, opt + 96 + 8 * 4, 0, 0)

    def align(value, to):
        return (value + to - 1) // to * to

    va = align(max(v + s for s, v, _, _ in sections), section_align)
    raw = align(len(image), file_align)
    raw_size = align(len(payload), file_align)
    image += b'\0' * (raw - len(image)) + payload + b'\0' * (raw_size - len(payload))
    struct.pack_into('<8sIIIIIIHHI', image, table + 40 * count, b'.pxzip', len(payload), va,
                     raw_size, raw, 0, 0, 0, 0, 0x40000040)   # initialised data, readable
    struct.pack_into('<H', image, pe + 6, count + 1)
    struct.pack_into('<I', image, opt + 56, align(va + len(payload), section_align))
    rsrc_rva = struct.unpack_from('<I', image, opt + 96 + 8 * 2)[0]
    entry = resource_data_entry(image, sections, rsrc_rva)
    struct.pack_into('<II', image, entry, va, len(payload))
    return bytes(image)


def build_archives(base, seed):
    rng = random.Random(seed)
    old_date, new_date = (2024, 5, 1, 12, 0, 0), (2025, 3, 14, 9, 30, 0)
    data = {}
    for i in range(300):
        data['Daten/Bild%03d.bin' % i] = (rng.randbytes(rng.randint(50_000, 200_000)), old_date)
    with zipfile.ZipFile(io.BytesIO(base)) as z:
        program = [(info, z.read(info)) for info in z.infolist()]
    versions = {}
    for version in (1, 2, 3):
        files = dict(data)
        changed_program = []
        for info, content in program:
            if version > 1 and not info.is_dir() and info.filename.lower().endswith('.txt'):
                content = content + b'\r\nGeaendert im Update.\r\n'
                date = new_date
            else:
                date = info.date_time
            changed_program.append((info.filename, content, date))
        if version > 1:
            for i in range(0, 300, 3):
                files['Daten/Bild%03d.bin' % i] = (rng_for(seed, i).randbytes(60_000 + i * 400), new_date)
            for i in range(10):
                files['Daten/Neu%02d.bin' % i] = (rng_for(seed, 1000 + i).randbytes(100_000), new_date)
        names = sorted(files)
        half = len(names) // 2
        out = io.BytesIO()
        with zipfile.ZipFile(out, 'w', zipfile.ZIP_DEFLATED, compresslevel=1) as z:
            # The program's own files in the middle of the data files: a cut
            # can fall while they are written.
            def add(name, content, date):
                info = zipfile.ZipInfo(name, date)
                info.compress_type = zipfile.ZIP_STORED if name.endswith('/') else zipfile.ZIP_DEFLATED
                z.writestr(info, content)
            add('Daten/', b'', old_date)
            for name in names[:half]:
                add(name, *files[name])
            for name, content, date in changed_program:
                add(name, content, date)
            for name in names[half:]:
                add(name, *files[name])
            if version == 3:
                add('Daten/Gesperrt/Inhalt.bin', b'x' * 1000, new_date)
        versions[version] = out.getvalue()
    return versions


def rng_for(seed, index):
    return random.Random(seed * 100_003 + index)


def main():
    setup, out_dir, seed = sys.argv[1], sys.argv[2], int(sys.argv[3])
    image = open(setup, 'rb').read()
    for version, archive in build_archives(read_payload(image), seed).items():
        with open('%s/v%d.zip' % (out_dir, version), 'wb') as f:
            f.write(archive)
        with open('%s/setup_v%d.exe' % (out_dir, version), 'wb') as f:
            f.write(with_payload(image, archive))


if __name__ == '__main__':
    main()
