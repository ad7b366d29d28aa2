#!/usr/bin/python3
"""Builds the viewer's help file, a compiled HTML help container, from its pages.

Usage: make_chm.py HTML_DIR OUTPUT_CHM

The container (ITSF version 3) holds the pages, a table of contents
(toc.hhc) and the #SYSTEM record that names the contents file, the start
page and the title. Everything lies in the uncompressed content section:
no LZX compressor is needed, and readers of the format take uncompressed
files as they are. The directory is one listing chunk; a help file too large
for it is refused rather than written half.
"""
import os
import re
import struct
import sys
import uuid

CHUNK_SIZE = 0x1000
QUICKREF_DENSITY = 2
LANG_GERMAN = 0x0407
TITLE = 'Pixolum Hilfe'
START_PAGE = 'index.htm'
# Fixed so that two builds give the same bytes.
TIMESTAMP = 0x6A1C5E00

ITSF_GUID_1 = uuid.UUID('7C01FD10-7BAA-11D0-9E0C-00A0C922E6EC').bytes_le
ITSF_GUID_2 = uuid.UUID('7C01FD11-7BAA-11D0-9E0C-00A0C922E6EC').bytes_le
ITSP_GUID = uuid.UUID('5D02926A-212E-11D0-9DF9-00A0C922E6EC').bytes_le


def encint(value):
    """The format's variable-length number: 7 bits a byte, most significant first."""
    out = [value & 0x7f]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7f))
        value >>= 7
    return bytes(reversed(out))


def page_title(html):
    m = re.search(r'<title>(.*?)</title>', html, re.S | re.I)
    title = m.group(1).strip() if m else ''
    return title.replace('&amp;', '&')


def toc(html_dir, pages):
    """The table of contents in sitemap form, in the order of the start page's links."""
    start = open(os.path.join(html_dir, START_PAGE), encoding='utf-8').read()
    order = [START_PAGE] + [p for p in re.findall(r'href="([^"#]+\.htm)"', start) if p in pages]
    order += [p for p in sorted(pages) if p not in order]
    seen = set()
    lines = ['<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">', '<HTML><HEAD>',
             '<meta http-equiv="Content-Type" content="text/html; charset=windows-1252">',
             '</HEAD><BODY>', '<UL>']
    for page in order:
        if page in seen:
            continue
        seen.add(page)
        title = page_title(open(os.path.join(html_dir, page), encoding='utf-8').read())
        title = title.replace('"', '&quot;')
        lines += ['<LI><OBJECT type="text/sitemap">',
                  '<param name="Name" value="%s">' % title,
                  '<param name="Local" value="%s">' % page,
                  '</OBJECT>']
    lines += ['</UL>', '</BODY></HTML>', '']
    return '\r\n'.join(lines).encode('cp1252')


def system_record(chm_name):
    """#SYSTEM: version 3, then (code, length, data) records."""
    def entry(code, data):
        return struct.pack('<HH', code, len(data)) + data

    def text(s):
        return s.encode('cp1252') + b'\0'

    lcid_record = struct.pack('<IIIII', LANG_GERMAN, 0, 0, 0, 0) + bytes(8) + struct.pack('<II', 0, 0)
    return (struct.pack('<I', 3)
            + entry(0, text('toc.hhc'))
            + entry(2, text(START_PAGE))
            + entry(3, text(TITLE))
            + entry(4, lcid_record)
            + entry(6, text(chm_name)))


def name_list():
    """::DataSpace/NameList with the one uncompressed section."""
    name = 'Uncompressed'
    words = 2 + 1 + len(name) + 1
    return (struct.pack('<HHH', words, 1, len(name)) + name.encode('utf-16-le') + b'\0\0')


def listing_chunk(entries):
    """One PMGL chunk holding every directory entry."""
    body = b''.join(entries)
    quickref = []
    step = 1 + (1 << QUICKREF_DENSITY)
    offset = 0
    for i, e in enumerate(entries):
        if i and i % step == 0:
            quickref.append(offset)
        offset += len(e)
    tail = b''.join(struct.pack('<H', q) for q in reversed(quickref)) + struct.pack('<H', len(entries))
    free = CHUNK_SIZE - 0x14 - len(body)
    if free < len(tail):
        raise SystemExit('make_chm: the help pages do not fit one directory chunk')
    header = b'PMGL' + struct.pack('<IIii', free, 0, -1, -1)
    return header + body + bytes(free - len(tail)) + tail


def build(html_dir, output):
    pages = sorted(n for n in os.listdir(html_dir) if os.path.isfile(os.path.join(html_dir, n)))
    chm_name = os.path.splitext(os.path.basename(output))[0]
    files = {'/' + n: open(os.path.join(html_dir, n), 'rb').read() for n in pages}
    files['/toc.hhc'] = toc(html_dir, [p for p in pages if p.endswith('.htm')])
    files['/#SYSTEM'] = system_record(chm_name)
    files['::DataSpace/NameList'] = name_list()

    # Content of section 0, in directory order; folders have no data.
    names = sorted(list(files) + ['/'], key=lambda n: n.lower().encode('utf-8'))
    content = bytearray()
    entries = []
    for name in names:
        data = files.get(name, b'')
        raw = name.encode('utf-8')
        entries.append(encint(len(raw)) + raw + encint(0) + encint(len(content) if data else 0)
                       + encint(len(data)))
        content += data
    chunk = listing_chunk(entries)

    directory = (b'ITSP' + struct.pack('<IIIIIIiIIiI', 1, 0x54, 0x0a, CHUNK_SIZE, QUICKREF_DENSITY,
                                       1, -1, 0, 0, -1, 1)
                 + struct.pack('<I', 0x0409) + ITSP_GUID + struct.pack('<Iiii', 0x54, -1, -1, -1))
    directory += chunk

    header_len = 0x60
    section0_len = 0x18
    dir_offset = header_len + section0_len
    content_offset = dir_offset + len(directory)
    total = content_offset + len(content)
    header = (b'ITSF' + struct.pack('<IIIII', 3, header_len, 1, TIMESTAMP, LANG_GERMAN)
              + ITSF_GUID_1 + ITSF_GUID_2
              + struct.pack('<QQQQQ', header_len, section0_len, dir_offset, len(directory),
                            content_offset))
    section0 = struct.pack('<IIQII', 0x01FE, 0, total, 0, 0)
    assert len(header) == header_len and len(section0) == section0_len
    with open(output, 'wb') as f:
        f.write(header + section0 + directory + bytes(content))


if __name__ == '__main__':
    if len(sys.argv) != 3:
        sys.exit('usage: make_chm.py HTML_DIR OUTPUT_CHM')
    build(sys.argv[1], sys.argv[2])
