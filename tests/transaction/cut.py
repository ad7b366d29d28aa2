#!/usr/bin/python3
"""Watches the install journal of a running setup or uninstaller in a Wine
prefix, and cuts it off as a power cut would.

  cut.py watch PREFIX JOURNAL PID
      until the run ends: prints how long its journal lasted until the
      commit entry, and the extraction and the registration (from their
      stage entries to the next), in ms
  cut.py cut PREFIX JOURNAL PID PHASE DELAY_MS
      while the run PID lasts: once the journal shows PHASE ("files",
      "registration", "commit", or "start": the journal exists), waits DELAY_MS and
      kills every process of the prefix (wineserver included) with SIGKILL;
      prints "cut" or "ended" (the run ended first)
  cut.py where JOURNAL
      what the journal left behind says: "none" (no journal), "committed"
      (a commit entry), else the last stage ("files", "settings",
      "registration"), or "begun" for a journal without stage entries

The journal is UTF-16LE text, one entry a line; a stage line is
"S <hex of the key> <hex of the stage name>", hex of UTF-16LE bytes.
"""
import os
import signal
import sys
import time


def entries(journal):
    try:
        with open(journal, 'rb') as f:
            data = f.read()
    except OSError:
        return None
    data = data[:len(data) // 2 * 2]
    return data.decode('utf-16-le', 'replace').split('\r\n')


def stages(lines):
    found = []
    for line in lines:
        if line.startswith('C'):
            found.append('commit')
        fields = line.split(' ')
        if len(fields) >= 3 and fields[0] == 'S':
            try:
                found.append(bytes.fromhex(fields[2]).decode('utf-16-le'))
            except ValueError:
                pass
    return found


def where(journal):
    lines = entries(journal)
    if lines is None:
        return 'none'
    if any(line.startswith('C') for line in lines):
        return 'committed'
    found = stages(lines)
    return found[-1] if found else 'begun'


def processes_of(prefix):
    """Wine's processes of the prefix: the server, the loaders and every
    Windows program (not the shells and scripts of the test)."""
    mine = set()
    pid = os.getpid()
    while pid > 1:
        mine.add(pid)
        try:
            with open('/proc/%d/stat' % pid) as f:
                pid = int(f.read().rsplit(')', 1)[1].split()[1])
        except OSError:
            break
    found = []
    for entry in os.listdir('/proc'):
        if not entry.isdigit() or int(entry) in mine:
            continue
        try:
            with open('/proc/%s/environ' % entry, 'rb') as f:
                if b'WINEPREFIX=' + prefix.encode() + b'\0' not in f.read():
                    continue
            exe = os.path.basename(os.readlink('/proc/%s/exe' % entry))
            with open('/proc/%s/cmdline' % entry, 'rb') as f:
                first = f.read().split(b'\0')[0].decode('utf-8', 'replace').lower()
        except OSError:
            continue
        if exe.startswith(('wine', 'qemu')) or first.endswith('.exe'):
            found.append(int(entry))
    return found


def kill_all(prefix):
    for _ in range(50):
        victims = processes_of(prefix)
        if not victims:
            return
        for pid in victims:
            try:
                os.kill(pid, signal.SIGKILL)
            except OSError:
                pass
        time.sleep(0.02)


def running(pid):
    try:
        os.kill(pid, 0)
        return True
    except OSError:
        return False


def wait_for(journal, phase, deadline, run):
    while time.monotonic() < deadline and running(run):
        lines = entries(journal)
        if lines is not None and (phase == 'start' or phase in stages(lines)):
            return True
        time.sleep(0.005)
    return False


def main():
    mode = sys.argv[1]
    if mode == 'where':
        print(where(sys.argv[2]))
        return
    prefix, journal, run = sys.argv[2], sys.argv[3], int(sys.argv[4])
    deadline = time.monotonic() + 120
    if mode == 'watch':
        seen = {}
        while time.monotonic() < deadline and running(run):
            lines = entries(journal)
            now = time.monotonic()
            if lines is None:
                if 'start' in seen:
                    break
            else:
                seen.setdefault('start', now)
                for stage in stages(lines):
                    seen.setdefault(stage, now)
            time.sleep(0.01)
        end = time.monotonic()
        start = seen.get('start', end)
        commit = seen.get('commit', end)
        files = seen.get('files', start)
        registration = seen.get('registration', commit)
        print('%d %d %d' % ((commit - start) * 1000, (registration - files) * 1000 if 'files' in seen else 0,
                            (commit - registration) * 1000))
        return
    phase, delay = sys.argv[5], int(sys.argv[6]) / 1000.0
    if not wait_for(journal, phase, deadline, run):
        print('ended')
        return
    time.sleep(delay)
    if not os.path.exists(journal):
        print('ended')
        return
    kill_all(prefix)
    print('cut')


if __name__ == '__main__':
    main()
