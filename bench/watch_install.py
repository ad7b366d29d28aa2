#!/usr/bin/python3
"""Runs one silent installation and watches it from outside.

Usage: watch_install.py TEMP_ARCHIVE TARGET_DIR -- COMMAND [ARGS...]

`wine PROGRAM` execs into the Wine loader, which becomes the Windows process:
the PID that Popen returns is the one to watch. Every 2 ms the script reads
RssAnon from /proc/PID/status (anonymous, private pages: heap, stacks and
private copies of mapped images) and looks at the setup's temporary archive
and the target folder, which splits the run into phases:
  start-up   launch until the temporary archive appears,
  copy       until it holds the whole payload,
  extract    until it is deleted again (every entry unpacked),
  finish     settings, registration and exit.
Prints one JSON object.
"""
import json
import os
import subprocess
import sys
import time


def rss_anon(pid):
    try:
        with open(f'/proc/{pid}/status') as f:
            for line in f:
                if line.startswith('RssAnon:'):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def main():
    temp, target = sys.argv[1], sys.argv[2]
    command = sys.argv[sys.argv.index('--') + 1:]
    expected = int(os.environ.get('PAYLOAD_BYTES', '0'))
    start = time.monotonic()
    proc = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    peak = 0
    seen = copied = gone = None
    while proc.poll() is None:
        now = time.monotonic() - start
        value = rss_anon(proc.pid)
        if value is not None and value > peak:
            peak = value
        try:
            size = os.stat(temp).st_size
            if seen is None:
                seen = now
            if copied is None and expected and size >= expected:
                copied = now
        except OSError:
            if seen is not None and gone is None:
                gone = now
        time.sleep(0.002)
    end = time.monotonic() - start
    result = {'exit': proc.returncode, 'wall': end, 'rss_anon_peak_kib': peak}
    if expected:
        result['archive_bytes'] = expected
    if seen is not None and gone is not None:
        copied = copied if copied is not None else seen
        result['phases'] = {'start-up': seen, 'copy': copied - seen, 'extract': gone - copied,
                            'finish': end - gone}
    print(json.dumps(result))


if __name__ == '__main__':
    main()
