#!/usr/bin/python3
"""Turns the measurements of bench/run.sh into Markdown tables.

Usage: report.py RESULTS_DIR RUNS
"""
import json
import os
import statistics
import sys


def median(values):
    return statistics.median(values) if values else float('nan')


def hyperfine(path):
    with open(path) as f:
        return {r['command']: r for r in json.load(f)['results']}


def watch(path):
    with open(path) as f:
        return [json.loads(line) for line in f if line.strip()]


def main():
    results, runs = sys.argv[1], sys.argv[2]
    p = lambda name: os.path.join(results, name)
    out = []
    which = ''
    if os.path.exists(p('which.txt')):
        with open(p('which.txt')) as f:
            which = f.read().strip().removeprefix('bench: ')
    out.append(f'Medians of {runs} runs, measured side by side in one run of `bench/run.sh`'
               f'{"; " + which if which else ""}.\n')

    # Throughput.
    out.append('### Install throughput (seconds, wall clock)\n')
    out.append('| payload | archive | setup /silent | setup, file alignment 512 | unzip -o -q | 7z x -y '
               '| wine trivial.exe | setup ÷ unzip | file alignment 512 ÷ unzip |')
    out.append('|---|---|---|---|---|---|---|---|---|')
    h = hyperfine(p('throughput-a.json'))
    a = {k: v['median'] for k, v in h.items()}
    with open(p('throughput-b.json')) as f:
        rounds = json.load(f)
    tb = {k: median(v) for k, v in rounds.items()}
    tb = {'setup /silent': tb['setup fresh'], 'setup /silent, file alignment 512':
         tb['setup, file alignment 512 fresh'], 'unzip -o -q': tb['unzip -o -q fresh'],
         '7z x -y': tb['7z x -y fresh'], 'wine trivial.exe': tb['wine trivial.exe fresh'],
         **tb}
    for payload, label, m in (('a', '(a) shipped', a), ('b', '(b) generated', tb)):
        size = watch(p(f'watch-{payload}-setup.jsonl'))
        zip_mb = ''
        sizes = [r for r in size if 'archive_bytes' in r]
        if sizes:
            zip_mb = f'{sizes[0]["archive_bytes"] / 1e6:.1f} MB'
        setup, aligned = m['setup /silent'], m['setup /silent, file alignment 512']
        unzip = m['unzip -o -q']
        out.append(f'| {label} | {zip_mb} | {setup:.2f} | {aligned:.2f} | {unzip:.2f} | '
                   f'{m["7z x -y"]:.2f} | {m["wine trivial.exe"]:.2f} | {setup / unzip:.2f} | '
                   f'{aligned / unzip:.2f} |')
    out.append('\n(a): hyperfine, one program after the other; (b): interleaved round by round '
               'with the peer below.')

    # Beside the peer.
    out.append('\n### Beside a peer installer, payload (b) (seconds, wall clock)\n')
    out.append('| | fresh installation | update over the same files |')
    out.append('|---|---|---|')
    for name, label in (('setup', 'setup /silent'), ('NSIS', 'NSIS, zlib file by file, `/S /D=`'),
                        ('unzip -o -q', '`unzip -o -q` (update: over its own output)')):
        out.append(f'| {label} | {tb[name + " fresh"]:.2f} | {tb[name + " update"]:.2f} |')
    # A ratio is taken within each round, where the programs ran a few seconds
    # apart, and its median reported: a slow minute of the machine then
    # weighs on both sides of it.
    for kind in ('fresh', 'update'):
        for peer, key in (('unzip -o -q', 'unzip'), ('NSIS', 'NSIS')):
            tb[f'setup/{key} {kind}'] = median(
                [s / o for s, o in zip(rounds[f'setup {kind}'], rounds[f'{peer} {kind}'])])
    out.append(f'| setup ÷ unzip, median of the rounds\' ratios | {tb["setup/unzip fresh"]:.2f} | '
               f'{tb["setup/unzip update"]:.2f} |')
    out.append(f'| setup ÷ NSIS, median of the rounds\' ratios | {tb["setup/NSIS fresh"]:.2f} | '
               f'{tb["setup/NSIS update"]:.2f} |')

    # Phases.
    out.append('\n### Where the setup\'s time goes (seconds, from outside)\n')
    out.append('| run | start-up | copy to temporary file | extract | settings, registration, exit | total |')
    out.append('|---|---|---|---|---|---|')
    for payload, variant, label in (('a', 'setup', 'as built (file alignment 4096)'),
                                    ('a', 'fa', 'file alignment 512'),
                                    ('b', 'setup', 'as built (file alignment 4096)'),
                                    ('b', 'fa', 'file alignment 512'),
                                    ('b', 'update', 'as built, update over the same files')):
        rows = watch(p(f'watch-{payload}-{variant}.jsonl'))
        phased = [r for r in rows if 'phases' in r]
        total = median([r['wall'] for r in rows])
        if not phased:
            # No temporary archive seen: only the whole run can be told.
            out.append(f'| ({payload}) {label} | | | | | {total:.2f} |')
            continue
        ph = {k: median([r['phases'][k] for r in phased]) for k in phased[0]['phases']}
        out.append(f'| ({payload}) {label} | {ph["start-up"]:.2f} | {ph["copy"]:.2f} | '
                   f'{ph["extract"]:.2f} | {ph["finish"]:.2f} | {total:.2f} |')

    # Memory.
    out.append('\n### Memory: peak RssAnon of the Wine process (MiB)\n')
    out.append('| program | payload (a) | payload (b) | growth (b) − (a) |')
    out.append('|---|---|---|---|')
    peak = lambda name: median([r['rss_anon_peak_kib'] for r in watch(p(name))]) / 1024
    for variant, label in (('setup', 'setup /silent as built'), ('fa', 'setup /silent, file alignment 512')):
        ma, mb = peak(f'watch-a-{variant}.jsonl'), peak(f'watch-b-{variant}.jsonl')
        out.append(f'| {label} | {ma:.1f} | {mb:.1f} | {mb - ma:+.1f} |')
    mu = peak('watch-b-update.jsonl')
    out.append(f'| setup /silent as built, update | | {mu:.1f} | |')
    out.append(f'| wine trivial.exe | {peak("watch-trivial.jsonl"):.1f} | | |')

    # Start-up.
    out.append('\n### Start-up to the first page painted (milliseconds, Xvfb)\n')
    times = {}
    with open(p('startup.txt')) as f:
        for line in f:
            parts = line.split()
            if len(parts) == 2:
                try:
                    times.setdefault(parts[0], []).append(float(parts[1]))
                except ValueError:
                    pass
    setup_ms = median(times.get('setup.exe', []))
    dialog_ms = median(times.get('minimal_dialog.exe', []))
    wizard_ms = median(times.get('minimal_wizard.exe', []))
    nsis_ms = median(times.get('nsis_wizard.exe', []))
    out.append('| setup.exe (wizard) | minimal dialog program | ratio | one-page comctl32 wizard | ratio '
               '| NSIS wizard (welcome page) | ratio |')
    out.append('|---|---|---|---|---|---|---|')
    out.append(f'| {setup_ms:.0f} | {dialog_ms:.0f} | {setup_ms / dialog_ms:.2f} | {wizard_ms:.0f} | '
               f'{setup_ms / wizard_ms:.2f} | {nsis_ms:.0f} | {setup_ms / nsis_ms:.2f} |')

    # Size.
    with open(p('size.json')) as f:
        size = json.load(f)
    with open(p('size-fa512.json')) as f:
        size_fa = json.load(f)
    out.append('\n### Size of the shipped 32-bit setup (bytes)\n')
    out.append('| file | payload resource | without payload | without payload, file alignment 512 |')
    out.append('|---|---|---|---|')
    out.append(f'| {size["file"]:,} | {size["payload"]:,} | {size["without_payload"]:,} | '
               f'{size_fa["without_payload"]:,} |')
    out.append('\nSections: ' + ', '.join(f'{k} {v:,}' for k, v in size['sections'].items() if v))
    out.append('\nResources besides the payload: ' +
               ', '.join(f'{k} {v:,}' for k, v in size['resources_without_payload'].items()))
    out.append('\nThe peer: NSIS appends its compressed script and files to its stub (the PE image).\n')
    out.append('| NSIS installer | file | stub (PE image) | appended data |')
    out.append('|---|---|---|---|')
    for name, label in (('nsis_wizard_empty', 'wizard, no files (the installer without payload)'),
                        ('nsis_wizard', 'wizard, payload (a)'), ('peer-b', 'silent, payload (b)')):
        with open(p(f'size-{name}.json')) as f:
            n = json.load(f)
        out.append(f'| {label} | {n["file"]:,} | {n["file"] - n["overlay"]:,} | {n["overlay"]:,} |')
    out.append('\nCode and data by library (from the linker map, after --gc-sections):\n')
    out.append('```')
    with open(p('size-by-library.txt')) as f:
        out.append(f.read().rstrip())
    out.append('```')

    # Goals.
    without = size['without_payload'] - size.get('signature', 0)
    startup = setup_ms / dialog_ms
    goals = (
        ('fresh installation (b) ÷ unzip', tb['setup/unzip fresh'], 1.0),
        ('fresh installation (b) ÷ NSIS (ahead: below 1)', tb['setup/NSIS fresh'], 1.0),
        ('update (b) ÷ unzip over its own output', tb['setup/unzip update'], 1.2),
        ('update (b) ÷ NSIS (ahead: below 1)', tb['setup/NSIS update'], 1.0),
        ('start-up ÷ minimal dialog program', startup, 1.3),
        ('size without payload (KB of 1,000 bytes)', without / 1000, 200),
    )
    out.append('\n### Goals of the shipped setup\n')
    out.append('| figure | measured | goal | |')
    out.append('|---|---|---|---|')
    for label, value, goal in goals:
        ahead = 'ahead' in label
        met = value < goal if ahead else value <= goal
        verdict = 'met' if met else f'missed by {(value / goal - 1) * 100:.0f} %'
        sign = '<' if ahead else '≤'
        out.append(f'| {label} | {value:.2f} | {sign} {goal:g} | {verdict} |')

    for kind in ('fresh', 'update'):
        out.append(f'\n### Profile of the large installation (perf, setup (b), {kind})\n')
        out.append('```')
        with open(p(f'profile-{kind}.txt')) as f:
            out.append(f.read().rstrip())
        out.append('```')
    print('\n'.join(out))


if __name__ == '__main__':
    main()
