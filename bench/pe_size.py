#!/usr/bin/python3
"""Size of a setup executable without its payload.

Usage: pe_size.py SETUP_EXE [--json] [--limit=BYTES]

Reads the PE headers and the resource directory: the size of every section
(raw bytes in the file) and of every resource type, and the file size less
the payload resource (type "ZIP") — the setup's own code and resources.
An Authenticode signature is reported on its own line, data appended after
the image ("overlay") in the JSON. With --limit, exits 1
when the setup without payload and signature is larger than BYTES.
"""
import json
import struct
import sys


def main():
    path = sys.argv[1]
    data = open(path, 'rb').read()
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    sections_count, = struct.unpack_from('<H', data, pe + 6)
    optional_size, = struct.unpack_from('<H', data, pe + 20)
    magic, = struct.unpack_from('<H', data, pe + 24)
    directories = pe + 24 + (96 if magic == 0x10B else 112)
    rsrc_rva, rsrc_size = struct.unpack_from('<II', data, directories + 2 * 8)
    # The certificate table's "address" is a file offset; it is not mapped.
    _, signature = struct.unpack_from('<II', data, directories + 4 * 8)
    table = pe + 24 + optional_size
    sections = []
    for i in range(sections_count):
        name, vsize, rva, raw_size, raw_ptr = struct.unpack_from('<8sIIII', data, table + 40 * i)
        sections.append((name.rstrip(b'\0').decode(), vsize, rva, raw_size, raw_ptr))

    def offset(rva):
        for _, vsize, srva, raw_size, raw_ptr in sections:
            if srva <= rva < srva + max(vsize, raw_size):
                return raw_ptr + rva - srva
        raise ValueError(hex(rva))

    base = offset(rsrc_rva)

    def name_of(entry_name):
        if entry_name & 0x80000000:
            at = base + (entry_name & 0x7FFFFFFF)
            n, = struct.unpack_from('<H', data, at)
            return data[at + 2:at + 2 + 2 * n].decode('utf-16-le')
        return {1: 'CURSOR', 2: 'BITMAP', 3: 'ICON', 4: 'MENU', 5: 'DIALOG', 6: 'STRING',
                10: 'RCDATA', 12: 'GROUP_CURSOR', 14: 'GROUP_ICON', 16: 'VERSION',
                24: 'MANIFEST'}.get(entry_name, str(entry_name))

    def leaves(at):
        named, ids = struct.unpack_from('<HH', data, base + at + 12)
        for i in range(named + ids):
            entry_name, target = struct.unpack_from('<II', data, base + at + 16 + 8 * i)
            if target & 0x80000000:
                yield from leaves(target & 0x7FFFFFFF)
            else:
                yield struct.unpack_from('<II', data, base + target)[1]

    resources = {}
    named, ids = struct.unpack_from('<HH', data, base + 12)
    for i in range(named + ids):
        entry_name, target = struct.unpack_from('<II', data, base + 16 + 8 * i)
        resources[name_of(entry_name)] = sum(leaves(target & 0x7FFFFFFF))

    payload = resources.get('ZIP', 0)
    # Data appended after the image, as installers that carry their files
    # outside the PE image (NSIS) do; a signature is not counted.
    image_end = max(raw_ptr + raw_size for _, _, _, raw_size, raw_ptr in sections)
    result = {
        'file': len(data),
        'payload': payload,
        'without_payload': len(data) - payload,
        'sections': {name: raw_size for name, _, _, raw_size, _ in sections},
        'resources_without_payload': {k: v for k, v in resources.items() if k != 'ZIP'},
        'signature': signature,
        'overlay': max(0, len(data) - image_end - signature),
    }
    limit = next((int(a.split('=', 1)[1]) for a in sys.argv if a.startswith('--limit=')), None)
    if '--json' in sys.argv:
        print(json.dumps(result))
    else:
        report(path, result)
    if limit is not None and result['without_payload'] - signature > limit:
        print(f'{path}: {result["without_payload"] - signature} bytes without payload and '
              f'signature, more than {limit}')
        sys.exit(1)


def report(path, result):
    data_size, payload = result['file'], result['payload']
    print(f'{path}: {data_size} bytes, payload resource {payload}, '
          f'without payload {data_size - payload}')
    if result['signature']:
        print(f'  signature         {result["signature"]:9d}')
    for name, size in result['sections'].items():
        print(f'  section {name:10s} {size:9d}')
    for name, size in sorted(result['resources_without_payload'].items(), key=lambda x: -x[1]):
        print(f'  resource {name:12s} {size:9d}')


if __name__ == '__main__':
    main()
