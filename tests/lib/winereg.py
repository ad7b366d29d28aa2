#!/usr/bin/python3
"""Reads a Wine prefix's registry files (system.reg, user.reg) as data.

The files are what wineserver saved; call `wineserver -w` first. Keys and
value names compare case-insensitively, as in Windows. Used by the
end-to-end tests to check what the setup wrote and to compare snapshots.
"""
import re
import sys

_ESCAPES = {'\\': '\\', '"': '"', 'n': '\n', 'r': '\r', 't': '\t', '0': '\0'}


def _unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c == '\\' and i + 1 < len(text):
            n = text[i + 1]
            if n == 'x':
                m = re.match(r'[0-9a-fA-F]{1,4}', text[i + 2:])
                out.append(chr(int(m.group(0), 16)))
                i += 2 + len(m.group(0))
                continue
            out.append(_ESCAPES.get(n, n))
            i += 2
            continue
        out.append(c)
        i += 1
    return ''.join(out)


def _split_quoted(line):
    """Returns (name, rest) for a line starting with a quoted name."""
    i = 1
    while line[i] != '"':
        i += 2 if line[i] == '\\' else 1
    return _unescape(line[1:i]), line[i + 1:]


def _parse_value(text):
    if text.startswith('"'):
        return ('REG_SZ', _unescape(text[1:-1]))
    if text.startswith('str(2):"'):
        return ('REG_EXPAND_SZ', _unescape(text[8:-1]))
    if text.startswith('str(7):"'):
        return ('REG_MULTI_SZ', _unescape(text[8:-1]))
    if text.startswith('dword:'):
        return ('REG_DWORD', int(text[6:], 16))
    m = re.match(r'hex(?:\(([0-9a-f]+)\))?:(.*)', text)
    if m:
        kind = int(m.group(1), 16) if m.group(1) else 3
        data = bytes(int(b, 16) for b in m.group(2).replace(' ', '').split(',') if b)
        names = {1: 'REG_SZ', 2: 'REG_EXPAND_SZ', 3: 'REG_BINARY', 4: 'REG_DWORD', 7: 'REG_MULTI_SZ'}
        return (names.get(kind, f'REG_{kind}'), data)
    return ('?', text)


def load(path, root):
    """{lower key path: (key path, {lower name: (name, type, data)})}; '' names the default."""
    keys = {}
    current = None
    pending = ''
    with open(path, encoding='utf-8', errors='surrogateescape') as f:
        for raw in f:
            line = pending + raw.rstrip('\n')
            if line.endswith('\\') and not line.startswith('['):
                pending = line[:-1].rstrip() if line.rstrip().endswith(',\\') else line[:-1]
                continue
            pending = ''
            line = line.strip() if line.startswith('  ') else line
            if line.startswith('['):
                name = _unescape(line[1:line.rindex(']')])
                full = root + '\\' + name
                current = keys.setdefault(full.lower(), (full, {}))[1]
            elif current is not None and line.startswith('"'):
                name, rest = _split_quoted(line)
                current[name.lower()] = (name, *_parse_value(rest[1:]))
            elif current is not None and line.startswith('@='):
                current[''] = ('', *_parse_value(line[2:]))
    return keys


def load_prefix(prefix):
    keys = load(prefix + '/system.reg', 'HKLM')
    keys.update(load(prefix + '/user.reg', 'HKCU'))
    return keys


class Registry:
    def __init__(self, prefix):
        self.keys = load_prefix(prefix)

    def has_key(self, key):
        return key.lower() in self.keys

    def value(self, key, name=''):
        """(type, data) or None."""
        k = self.keys.get(key.lower())
        if not k:
            return None
        v = k[1].get(name.lower())
        return (v[1], v[2]) if v else None

    def values(self, key):
        k = self.keys.get(key.lower())
        return {v[0]: (v[1], v[2]) for v in k[1].values()} if k else {}

    def subkeys(self, key):
        prefix = key.lower() + '\\'
        return sorted({k[len(prefix):].split('\\')[0] for k in self.keys if k.startswith(prefix)})


class Wow64View(Registry):
    """The registry as a 32-bit program sees it on 64-bit Windows: HKLM\\Software
    lies in HKLM\\Software\\Wow6432Node, except HKLM\\Software\\Classes, which
    both views share from Windows 7 on; HKCU\\Software is shared too."""

    def __init__(self, prefix):
        super().__init__(prefix)

    @staticmethod
    def physical(key):
        parts = key.split('\\')
        if (len(parts) > 2 and parts[0].upper() == 'HKLM' and parts[1].lower() == 'software'
                and parts[2].lower() not in ('classes', 'wow6432node')):
            return '\\'.join(parts[:2] + ['Wow6432Node'] + parts[2:])
        return key

    def has_key(self, key):
        return super().has_key(self.physical(key))

    def value(self, key, name=''):
        return super().value(self.physical(key), name)

    def values(self, key):
        return super().values(self.physical(key))

    def subkeys(self, key):
        return super().subkeys(self.physical(key))


if __name__ == '__main__':
    reg = Registry(sys.argv[1])
    for k in sorted(reg.keys):
        if len(sys.argv) < 3 or k.startswith(sys.argv[2].lower()):
            print(reg.keys[k][0], reg.keys[k][1])
