#!/usr/bin/python3
"""Registry and file-system snapshots of a Wine prefix, and their comparison.

  snapshot.py take PREFIX OUT_DIR
  snapshot.py compare BEFORE_DIR AFTER_DIR [--lost-default KEY]... [--lost-key KEY]...
              [--lost-value KEY NAME]... [--machine-only]

A snapshot is the prefix's registry (system.reg and user.reg, saved by
wineserver: run `wineserver -w` first) and the list of files and folders
of drive C: outside "windows" (Wine's own system folder), each with its size.
The comparison prints every difference and exits 1 when any is left after
the allowed ones: a default value, a value or a key that existed before and
is gone after (what the setup overwrote and the uninstaller cannot give back).
--machine-only compares HKEY_LOCAL_MACHINE alone.
"""
import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'lib'))
from winereg import load  # noqa: E402

# Wine rewrites its display and monitor device entries on every start of a
# prefix's server; they are no part of what any program wrote.
WINE_DEVICE_KEYS = ('hklm\\system\\currentcontrolset\\control\\class\\',)


def take(prefix, out):
    os.makedirs(out, exist_ok=True)
    for name in ('system.reg', 'user.reg'):
        shutil.copyfile(os.path.join(prefix, name), os.path.join(out, name))
    drive = os.path.join(prefix, 'drive_c')
    lines = []
    for folder, dirs, files in os.walk(drive):
        rel = os.path.relpath(folder, drive)
        if rel == '.':
            dirs[:] = [d for d in dirs if d.lower() != 'windows']
        for d in dirs:
            lines.append(os.path.normpath(os.path.join(rel, d)) + '/')
        for f in files:
            path = os.path.join(folder, f)
            size = os.path.getsize(path) if os.path.isfile(path) else -1
            lines.append('%s %d' % (os.path.normpath(os.path.join(rel, f)), size))
    with open(os.path.join(out, 'files.txt'), 'w', encoding='utf-8', errors='surrogateescape') as f:
        f.write('\n'.join(sorted(lines)) + '\n')


def registry(folder):
    keys = load(os.path.join(folder, 'system.reg'), 'HKLM')
    keys.update(load(os.path.join(folder, 'user.reg'), 'HKCU'))
    return {k: v for k, v in keys.items() if not k.startswith(WINE_DEVICE_KEYS)}


def show(text):
    return text.encode('utf-8', 'backslashreplace').decode('utf-8')


def compare(before_dir, after_dir, options):
    lost_defaults, lost_keys, lost_values = set(), set(), set()
    machine_only = False
    i = 0
    while i < len(options):
        if options[i] == '--machine-only':
            machine_only = True; i += 1
        elif options[i] == '--lost-default':
            lost_defaults.add(options[i + 1].lower()); i += 2
        elif options[i] == '--lost-key':
            lost_keys.add(options[i + 1].lower()); i += 2
        elif options[i] == '--lost-value':
            lost_values.add((options[i + 1].lower(), options[i + 2].lower())); i += 3
        else:
            sys.exit('snapshot.py: unknown option %s' % options[i])

    problems = 0
    allowed = 0
    before, after = registry(before_dir), registry(after_dir)
    if machine_only:
        before = {k: v for k, v in before.items() if k.startswith('hklm')}
        after = {k: v for k, v in after.items() if k.startswith('hklm')}

    def under_lost_key(key):
        return any(key == k or key.startswith(k + '\\') for k in lost_keys)

    for key in sorted(set(before) | set(after)):
        if key not in after:
            if under_lost_key(key):
                allowed += 1
                continue
            print('key gone:   ' + show(before[key][0]))
            problems += 1
            continue
        if key not in before:
            print('key added:  %s %s' % (show(after[key][0]), show(repr(after[key][1]))))
            problems += 1
            continue
        values_before, values_after = before[key][1], after[key][1]
        for name in sorted(set(values_before) | set(values_after)):
            old, new = values_before.get(name), values_after.get(name)
            if old == new:
                continue
            if new is None and ((name == '' and key in lost_defaults) or (key, name) in lost_values):
                allowed += 1
                continue
            print('value:      %s [%s] %s -> %s' % (show(before[key][0]), show(name), show(repr(old)),
                                                     show(repr(new))))
            problems += 1

    def files(folder):
        with open(os.path.join(folder, 'files.txt'), encoding='utf-8', errors='surrogateescape') as f:
            return set(f.read().splitlines())
    files_before, files_after = (set(), set()) if machine_only else (files(before_dir), files(after_dir))
    for line in sorted(files_before - files_after):
        print('file gone:  ' + show(line))
        problems += 1
    for line in sorted(files_after - files_before):
        print('file added: ' + show(line))
        problems += 1
    print('snapshots: %d differences, %d of them allowed' % (problems + allowed, allowed))
    return 1 if problems else 0


if __name__ == '__main__':
    if len(sys.argv) >= 4 and sys.argv[1] == 'take':
        take(sys.argv[2], sys.argv[3])
    elif len(sys.argv) >= 4 and sys.argv[1] == 'compare':
        sys.exit(compare(sys.argv[2], sys.argv[3], sys.argv[4:]))
    else:
        sys.exit(__doc__)
