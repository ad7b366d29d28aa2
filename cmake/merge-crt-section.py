#!/usr/bin/python3
"""Writes the linker's default script with .CRT and .tls folded into .data.

Usage: merge-crt-section.py LD OUTPUT

The start-up tables in .CRT (initialiser and terminator lists, TLS callback
list) are 56 bytes, but as a section of their own they take a whole 4 KB page
of the file. Inside .data, after everything else, they keep their order and
their ___crt_*__ bounds. The same holds for .tls: the programs have no
thread-local variables (the compiler emulates them), only the runtime's two
bounds of the empty template (a pointer each), which the TLS directory finds
by address wherever they lie. Thread-local data of its own would be addressed from the
start of its section, so the script stops the link if .tls ever holds more.
Exits 1, writing nothing, when the default script is not laid out as
expected: the program is then linked with the default.
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
    tls = re.search(SECTION.format(name='tls'), script, re.S)
    if not crt or not data or not tls or crt.start() < data.end() or tls.start() < crt.end():
        sys.exit('merge-crt-section: .data, .CRT or .tls not where expected')
    # Sections the default script leaves to orphan placement in .CRT (the
    # thread-local initialisers .CRT$XDA..XDZ) follow, sorted as the names ask.
    tables = ('\n    . = ALIGN(4);\n' + crt.group(1) + '\n    KEEP (*(SORT(.CRT$*)))' +
              '\n    . = ALIGN(8);\n' + tls.group(1))
    bounds = 8 if 'pei-i386' in script else 16
    guard = ('\n  ASSERT(___tls_end__ - ___tls_start__ <= %d,'
             ' "thread-local data needs a .tls section of its own")\n' % bounds)
    merged = (script[:data.end(1)] + tables + script[data.end(1):crt.start()] + '\n' +
              script[crt.end():tls.start()] + guard + script[tls.end():])
    # zlib's unwind tables: nothing ever unwinds through inflating (the
    # programs neither throw nor catch), so Debian's archive's tables are
    # dropped rather than kept in a page of their own.
    keep = '    KEEP(*(.eh_frame*))'
    if keep not in merged:
        sys.exit('merge-crt-section: .eh_frame not where expected')
    merged = merged.replace(keep, '    KEEP(*(EXCLUDE_FILE(*libz.a:*) .eh_frame*))', 1)
    merged = merged.replace('\n  /DISCARD/ :\n  {\n', '\n  /DISCARD/ :\n  {\n    *libz.a:*(.eh_frame*)\n', 1)
    if '*libz.a:*(.eh_frame*)' not in merged:
        sys.exit('merge-crt-section: no /DISCARD/ block')
    with open(output, 'w') as out:
        out.write(merged)


main()
