#!/usr/bin/python3
"""Writes the linker's default script with the .CRT section folded into .data.

Usage: merge-crt-section.py LD OUTPUT

The start-up tables in .CRT (initialiser and terminator lists, TLS callback
list) are 56 bytes, but as a section of their own they take a whole 4 KB page
of the file. Inside .data, after everything else, they keep their order and
their ___crt_*__ bounds. Exits 1, writing nothing, when the default script is
not laid out as expected: the program is then linked with the default.
"""
import re
import subprocess
import sys

SECTION = r'\n  \.{name} BLOCK\(__section_alignment__\) :\n  \{{\n(.*?)\n  \}}\n'


def main():
    ld, output = sys.argv[1], sys.argv[2]
    verbose = subprocess.run([ld, '--verbose'], capture_output=True, text=True, check=True).stdout
    parts = verbose.split('=' * 50)
    if len(parts) != 3:
        sys.exit('merge-crt-section: no default script in "ld --verbose"')
    script = parts[1].split('\n', 1)[1]
    crt = re.search(SECTION.format(name='CRT'), script, re.S)
    data = re.search(SECTION.format(name='data'), script, re.S)
    if not crt or not data or crt.start() < data.end():
        sys.exit('merge-crt-section: .data or .CRT not where expected')
    # Sections the default script leaves to orphan placement in .CRT (the
    # thread-local initialisers .CRT$XDA..XDZ) follow, sorted as the names ask.
    tables = '\n    . = ALIGN(4);\n' + crt.group(1) + '\n    KEEP (*(SORT(.CRT$*)))'
    merged = (script[:data.end(1)] + tables + script[data.end(1):crt.start()] + '\n' +
              script[crt.end():])
    with open(output, 'w') as out:
        out.write(merged)


main()
