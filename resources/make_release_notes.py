#!/usr/bin/env python3
"""Turns the UTF-8 release notes into the "TXT" resource the what's-new page shows:
UTF-16LE with a byte-order mark and CR LF line ends.

The page copies the notes into a display buffer of 10240 UTF-16 units that must
keep a terminator, so notes of 10240 units or more (mark included) are refused
here rather than cut on screen.
"""
import sys

DISPLAY_UNITS = 10240


def convert(text):
    text = text.replace("\r\n", "\n").replace("\r", "\n").replace("\n", "\r\n")
    data = "\ufeff".encode("utf-16-le") + text.encode("utf-16-le")
    units = len(data) // 2
    if units >= DISPLAY_UNITS:
        raise ValueError(f"release notes too long: {units} UTF-16 units, "
                         f"the page shows fewer than {DISPLAY_UNITS}")
    return data


def main(argv):
    if len(argv) != 3:
        print("usage: make_release_notes.py <notes.txt (UTF-8)> <output>", file=sys.stderr)
        return 2
    with open(argv[1], encoding="utf-8") as f:
        text = f.read()
    if text.startswith("\ufeff"):
        text = text[1:]
    try:
        data = convert(text)
    except ValueError as e:
        print(f"make_release_notes: {e}", file=sys.stderr)
        return 1
    with open(argv[2], "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
