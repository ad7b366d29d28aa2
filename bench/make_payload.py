#!/usr/bin/python3
"""Writes a large payload folder for the throughput benchmark.

Usage: make_payload.py BASE_TREE OUT_DIR [--seed N] [--files N] [--megabytes N]

The folder holds every file of BASE_TREE (the stand-in payload, so that the
entries the setup relies on are there) plus generated files below "Daten/":
a fixed seed decides names, sizes and contents, so two runs give the same
bytes. Sizes follow a log-uniform spread from 1 KB to 2 MB, scaled to the
requested total. Contents are of three kinds, by share of bytes:
  55 % incompressible (random bytes, like JPEG or PNG pictures),
  25 % half compressible (random blocks and repeated blocks, like programs),
  20 % highly compressible (German-looking text, like help pages).
"""
import argparse
import os
import random
import shutil
import sys

WORDS = ('Bild Bilder Ansicht Datei Ordner Einstellungen Farbe Helligkeit Kontrast '
         'Vorschau Miniatur Werkzeugleiste Sprache Hilfe Format drehen spiegeln speichern '
         'öffnen schließen Größe Auflösung Pixel Fenster Vollbild Diashow Druck der die das '
         'und mit für von auf ist ein eine nicht oder wird werden Sie können'.split())
KINDS = (('bild', 'jpg', 0.55), ('prog', 'dll', 0.25), ('text', 'htm', 0.20))


def incompressible(rng, size):
    return rng.randbytes(size)


def half_compressible(rng, size):
    out = bytearray()
    block = rng.randbytes(4096)
    while len(out) < size:
        if rng.random() < 0.5:
            out += rng.randbytes(4096)
        else:
            out += block
    return bytes(out[:size])


def text(rng, size):
    words = rng.choices(WORDS, k=size // 6 + 16)
    lines = []
    for i in range(0, len(words), 12):
        lines.append(' '.join(words[i:i + 12]))
    data = '\r\n'.join(lines).encode('utf-8')
    while len(data) < size:
        data += data
    return data[:size]


MAKERS = {'bild': incompressible, 'prog': half_compressible, 'text': text}


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('base_tree')
    ap.add_argument('out_dir')
    ap.add_argument('--seed', type=int, default=1974)
    ap.add_argument('--files', type=int, default=2400)
    ap.add_argument('--megabytes', type=int, default=320)
    args = ap.parse_args()

    rng = random.Random(args.seed)
    if os.path.exists(args.out_dir):
        shutil.rmtree(args.out_dir)
    shutil.copytree(args.base_tree, args.out_dir)

    raw = [rng.uniform(0, 1) for _ in range(args.files)]
    sizes = [int(1024 * (2048 ** r)) for r in raw]   # 1 KB .. 2 MB, log-uniform
    scale = args.megabytes * 1024 * 1024 / sum(sizes)
    sizes = [max(1, int(s * scale)) for s in sizes]

    # Kinds assigned so that each one's share of the bytes is met.
    order = list(range(args.files))
    rng.shuffle(order)
    kind_of = {}
    target = [share * sum(sizes) for _, _, share in KINDS]
    filled = [0, 0, 0]
    for i in order:
        k = max(range(3), key=lambda j: target[j] - filled[j])
        kind_of[i] = k
        filled[k] += sizes[i]

    total = 0
    for i, size in enumerate(sizes):
        name, ext, _ = KINDS[kind_of[i]]
        folder = os.path.join(args.out_dir, 'Daten', f'Gruppe{i % 40:02d}')
        os.makedirs(folder, exist_ok=True)
        data = MAKERS[name](rng, size)
        with open(os.path.join(folder, f'{name}{i:05d}.{ext}'), 'wb') as f:
            f.write(data)
        total += size
    files = sum(len(f) for _, _, f in os.walk(args.out_dir))
    print(f'{args.out_dir}: {files} files, {total / 1048576:.1f} MB generated '
          f'(seed {args.seed})')


if __name__ == '__main__':
    sys.exit(main())
