#!/usr/bin/python3
"""Times installers side by side, interleaved, so that a slow minute of a
shared machine falls on all of them alike.

Usage: interleave.py OUT_JSON RUNS WARMUP --tool NAME PREPARE COMMAND UPDATE ...

Each round runs every tool once, in an order that rotates from round to round:
PREPARE (not timed; it empties the target), then COMMAND, timed as NAME's
fresh installation, after a sync (not timed either); with UPDATE "1" the same COMMAND again over what it has
just written, timed as its update. WARMUP rounds come first and are not kept.
Commands run under bash; one that fails stops the bench. Writes
{"NAME fresh": [seconds, ...], "NAME update": [...]} to OUT_JSON.
"""
import argparse
import json
import os
import subprocess
import sys
import tempfile
import time


def timed(command):
    # What earlier runs wrote goes to disk first, not during this one.
    os.sync()
    # The command's errors go to a file, not a pipe: a program Wine starts on
    # the side (the desktop process, explorer.exe /desktop, stays about a
    # second after the last window is gone) inherits the descriptor, and
    # reading a pipe to its end would time that process instead of the
    # command, which is done when it exits.
    with tempfile.TemporaryFile() as errors:
        start = time.monotonic()
        result = subprocess.run(['bash', '-c', command], stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=errors)
        elapsed = time.monotonic() - start
        if result.returncode != 0:
            errors.seek(0)
            sys.exit(f'interleave: "{command}" failed ({result.returncode}): '
                     f'{errors.read().decode(errors="replace")[-500:]}')
    return elapsed


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('out')
    parser.add_argument('runs', type=int)
    parser.add_argument('warmup', type=int)
    parser.add_argument('--tool', nargs=4, action='append', required=True,
                        metavar=('NAME', 'PREPARE', 'COMMAND', 'UPDATE'))
    args = parser.parse_args()
    times = {}
    tools = args.tool
    for round_ in range(args.warmup + args.runs):
        shift = round_ % len(tools)
        for name, prepare, command, update in tools[shift:] + tools[:shift]:
            subprocess.run(['bash', '-c', prepare], check=True)
            fresh = timed(command)
            again = timed(command) if update == '1' else None
            if round_ < args.warmup:
                continue
            times.setdefault(f'{name} fresh', []).append(fresh)
            if again is not None:
                times.setdefault(f'{name} update', []).append(again)
        if round_ >= args.warmup:
            print(f'round {round_ - args.warmup + 1}: ' +
                  ', '.join(f'{k} {v[-1]:.2f}' for k, v in times.items()), flush=True)
    with open(args.out, 'w') as f:
        json.dump(times, f, indent=1)


if __name__ == '__main__':
    main()
