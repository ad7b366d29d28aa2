#!/usr/bin/python3
"""Watches the install journal of a running setup or uninstaller in a Wine
prefix, and cuts it off as a power cut would.

  cut.py watch PREFIX JOURNAL PID
      until the run ends: prints how long its journal lasted until the
      commit entry, and its files and registration phases (from the stage
      entry to the next), in ms
  cut.py cut PREFIX JOURNAL PID PHASE DELAY_MS
      while the run PID lasts: once the journal shows PHASE ("files",
      "registration", "commit", or "start": the journal exists), waits DELAY_MS and
      kills every process of the prefix (wineserver included) with SIGKILL;
      prints "cut" or "ended" (the run ended first)
  cut.py where JOURNAL
      what the journal left behind says: "none" (no journal), "committed"
      (a commit entry), else the last stage ("files", "settings",
      "registration"), or "begun" before any

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


def stages(lines, context):
    """The stages the lines begin, and "commit". The uninstaller's journal
    names none: its first removed file begins "files", its first registry
    entry "registration"."""
    found = []
    for line in lines:
        fields = line.split(' ')
        try:
            texts = [bytes.fromhex(f).decode('utf-16-le') if f != '-' else '' for f in fields[1:3]]
        except ValueError:
            continue
        kind = fields[0]
        if kind == 'H' and len(texts) == 2:
            context['uninstall'] = texts[1] == 'uninstall'
        elif kind == 'S' and len(texts) == 2:
            found.append(texts[1])
        elif kind == 'C':
            found.append('commit')
        elif context.get('uninstall') and kind == 'X' and 'files' not in context:
            context['files'] = True
            found.append('files')
        elif context.get('uninstall') and kind in ('D', 'V', 'K') and 'registration' not in context:
            context['registration'] = True
            found.append('registration')
    return found


class Journal:
    """Reads what a running program appends to its journal, from where the
    last look ended (the text is ASCII in UTF-16LE, so a line break lies at
    an even offset)."""
    def __init__(self, path):
        self.path, self.offset, self.rest, self.found, self.context = path, 0, b'', [], {}

    def look(self):
        """The stages seen so far (with "commit"), or None without a journal."""
        try:
            with open(self.path, 'rb') as f:
                f.seek(self.offset)
                data = f.read()
        except OSError:
            return None
        self.offset += len(data)
        lines = (self.rest + data).split(b'\r\x00\n\x00')
        self.rest = lines.pop()
        self.found += stages([line.decode('utf-16-le', 'replace') for line in lines], self.context)
        return self.found


def where(journal):
    lines = entries(journal)
    if lines is None:
        return 'none'
    found = stages(lines, {})
    if 'commit' in found:
        return 'committed'
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
    reader = Journal(journal)
    while time.monotonic() < deadline and running(run):
        found = reader.look()
        if found is not None and (phase == 'start' or phase in found):
            return True
        time.sleep(0.003)
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
        reader = Journal(journal)
        while time.monotonic() < deadline and running(run):
            found = reader.look()
            now = time.monotonic()
            if found is None:
                if 'start' in seen:
                    break
            else:
                seen.setdefault('start', now)
                for stage in found:
                    seen.setdefault(stage, now)
            time.sleep(0.003)
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
