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
    out.append(f'Medians of {runs} runs, measured side by side in one run of `bench/run.sh`.\n')

    # Throughput.
    out.append('### Install throughput (seconds, wall clock)\n')
    out.append('| payload | archive | setup /silent | setup, file alignment 512 | unzip -o -q | 7z x -y '
               '| wine trivial.exe | setup ÷ unzip | file alignment 512 ÷ unzip |')
    out.append('|---|---|---|---|---|---|---|---|---|')
    for payload, label in (('a', '(a) shipped'), ('b', '(b) generated')):
        h = hyperfine(p(f'throughput-{payload}.json'))
        m = {k: v['median'] for k, v in h.items()}
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

    # Phases.
    out.append('\n### Where the setup\'s time goes (seconds, from outside)\n')
    out.append('| run | start-up | copy to temporary file | extract | settings, registration, exit | total |')
    out.append('|---|---|---|---|---|---|')
    for payload in ('a', 'b'):
        for variant, label in (('setup', 'as built (file alignment 4096)'), ('fa', 'file alignment 512')):
            rows = [r for r in watch(p(f'watch-{payload}-{variant}.jsonl')) if 'phases' in r]
            if not rows:
                continue
            ph = {k: median([r['phases'][k] for r in rows]) for k in rows[0]['phases']}
            total = median([r['wall'] for r in rows])
            out.append(f'| ({payload}) {label} | {ph["start-up"]:.2f} | {ph["copy"]:.2f} | '
                       f'{ph["extract"]:.2f} | {ph["finish"]:.2f} | {total:.2f} |')

    # Memory.
    out.append('\n### Memory: peak RssAnon of the Wine process (MiB)\n')
    out.append('| program | payload (a) | payload (b) | growth (b) − (a) |')
    out.append('|---|---|---|---|')
    trivial = median([r['rss_anon_peak_kib'] for r in watch(p('watch-trivial.jsonl'))]) / 1024
    for variant, label in (('setup', 'setup /silent as built'), ('fa', 'setup /silent, file alignment 512')):
        a = median([r['rss_anon_peak_kib'] for r in watch(p(f'watch-a-{variant}.jsonl'))]) / 1024
        b = median([r['rss_anon_peak_kib'] for r in watch(p(f'watch-b-{variant}.jsonl'))]) / 1024
        out.append(f'| {label} | {a:.1f} | {b:.1f} | {b - a:+.1f} |')
    out.append(f'| wine trivial.exe | {trivial:.1f} | | |')

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
    out.append('| setup.exe (wizard) | minimal dialog program | ratio | one-page comctl32 wizard | ratio |')
    out.append('|---|---|---|---|---|')
    out.append(f'| {setup_ms:.0f} | {dialog_ms:.0f} | {setup_ms / dialog_ms:.2f} | {wizard_ms:.0f} | '
               f'{setup_ms / wizard_ms:.2f} |')

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
    out.append('\nCode and data by library (from the linker map, after --gc-sections):\n')
    out.append('```')
    with open(p('size-by-library.txt')) as f:
        out.append(f.read().rstrip())
    out.append('```')

    out.append('\n### Profile of the large installation (perf, setup (b))\n')
    out.append('```')
    with open(p('profile.txt')) as f:
        out.append(f.read().rstrip())
    out.append('```')
    print('\n'.join(out))


if __name__ == '__main__':
    main()
