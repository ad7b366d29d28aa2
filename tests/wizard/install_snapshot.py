#!/usr/bin/python3
"""What an installation changed in a Wine prefix, and whether two
installations changed the same.

  install_snapshot.py take PREFIX OUT.json
      records the registry (call `wineserver -w` first) and every file of
      drive_c by size and modification time
  install_snapshot.py compare PREFIX_A BEFORE_A AFTER_A LINKS_A PREFIX_B BEFORE_B AFTER_B LINKS_B
      compares the changes of A (from BEFORE_A to AFTER_A) with those of B:
      registry values and keys added, changed or removed; files added,
      changed or removed, by content, and shell links by what the shell reads
      back (LINKS_*: link_report output). Prints one line per difference and
      exits 1 when there is any.
"""
import hashlib
import json
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'lib'))
from winereg import load_prefix  # noqa: E402

# Wine's own bookkeeping, which differs between any two sessions.
NOISE_KEYS = (
    'hkcu\\software\\wine\\',
    'hklm\\system\\currentcontrolset\\control\\class\\',  # driver dates of each start
)


def take(prefix, out):
    registry = {}
    for lower, (_, values) in load_prefix(prefix).items():
        registry[lower] = {name: [v[1], repr(v[2])] for name, v in values.items()}
    files = {}
    root = os.path.join(prefix, 'drive_c')
    for folder, dirs, names in os.walk(root):
        rel_folder = os.path.relpath(folder, root)
        for d in dirs:
            files[os.path.normpath(os.path.join(rel_folder, d)).lower()] = 'dir'
        for n in names:
            path = os.path.join(folder, n)
            if os.path.islink(path) or not os.path.isfile(path):
                continue
            st = os.stat(path)
            rel = os.path.normpath(os.path.join(rel_folder, n)).lower()
            files[rel] = [st.st_size, st.st_mtime_ns]
    with open(out, 'w', encoding='utf-8') as f:
        json.dump({'registry': registry, 'files': files}, f)


def registry_changes(before, after):
    changes = set()
    for key, values in after.items():
        if any(key.startswith(n) or key + '\\' == n for n in NOISE_KEYS):
            continue
        old = before.get(key)
        if old is None:
            changes.add(('key added', key, '', ''))
            old = {}
        for name, value in values.items():
            if old.get(name) != value:
                changes.add(('value set', key, name, ' = '.join(value)))
        for name in old:
            if name not in values:
                changes.add(('value removed', key, name, ''))
    for key in before:
        if key not in after and not any(key.startswith(n) for n in NOISE_KEYS):
            changes.add(('key removed', key, '', ''))
    return changes


def actual_path(prefix, rel):
    """The file's real path: snapshots keep paths in lower case."""
    path = os.path.join(prefix, 'drive_c')
    for part in rel.split(os.sep):
        try:
            match = [e for e in os.listdir(path) if e.lower() == part]
        except OSError:
            return None
        if not match:
            return None
        path = os.path.join(path, match[0])
    return path


def read_links(report):
    links = {}
    with open(report, encoding='utf-8') as f:
        for line in f:
            fields = line.rstrip('\n').split('\t')
            path = fields[0]
            # C:\users\... -> users\... as the snapshot names it
            if path[1:3] == ':\\':
                path = path[3:].replace('\\', os.sep).lower()
            links[path] = '\t'.join(fields[1:])
    return links


def file_changes(prefix, before, after, links):
    changes = {}
    for rel, meta in after.items():
        if before.get(rel) == meta:
            continue
        if meta == 'dir':
            changes[rel] = 'dir'
        elif rel.endswith('.lnk'):
            changes[rel] = 'link: ' + links.get(rel, '(not in the link report)')
        else:
            path = actual_path(prefix, rel)
            with open(path, 'rb') as f:
                changes[rel] = 'sha256 ' + hashlib.sha256(f.read()).hexdigest()
    for rel in before:
        if rel not in after:
            changes[rel] = 'removed'
    return changes


def compare(args):
    prefix_a, before_a, after_a, links_a, prefix_b, before_b, after_b, links_b = args
    snaps = [json.load(open(p, encoding='utf-8')) for p in (before_a, after_a, before_b, after_b)]
    reg_a = registry_changes(snaps[0]['registry'], snaps[1]['registry'])
    reg_b = registry_changes(snaps[2]['registry'], snaps[3]['registry'])
    files_a = file_changes(prefix_a, snaps[0]['files'], snaps[1]['files'], read_links(links_a))
    files_b = file_changes(prefix_b, snaps[2]['files'], snaps[3]['files'], read_links(links_b))

    differences = []
    for change in sorted(reg_a - reg_b):
        differences.append('only A: registry ' + ' | '.join(change))
    for change in sorted(reg_b - reg_a):
        differences.append('only B: registry ' + ' | '.join(change))
    for rel in sorted(set(files_a) | set(files_b)):
        a, b = files_a.get(rel), files_b.get(rel)
        if a != b:
            differences.append(f'file {rel}: A {a or "unchanged"}; B {b or "unchanged"}')
    print(f'A changed {len(reg_a)} registry entries and {len(files_a)} files; '
          f'B changed {len(reg_b)} registry entries and {len(files_b)} files')
    for line in differences[:60]:
        print(line)
    if len(differences) > 60:
        print(f'... and {len(differences) - 60} more differences')
    return 1 if differences else 0


if __name__ == '__main__':
    if len(sys.argv) == 4 and sys.argv[1] == 'take':
        take(sys.argv[2], sys.argv[3])
        sys.exit(0)
    if len(sys.argv) == 10 and sys.argv[1] == 'compare':
        sys.exit(compare(sys.argv[2:]))
    print(__doc__, file=sys.stderr)
    sys.exit(2)
