#!/usr/bin/python3
"""Writes the script of the peer installer: NSIS, carrying the same files as a setup.

Usage: make_nsis.py PAYLOAD_ZIP TREE OUTPUT_EXE SCRIPT_NSI [--wizard] [--no-files]

Every entry of PAYLOAD_ZIP becomes one command of the script, in the order the
archive holds them: a folder entry a CreateDirectory, a file entry a File of
the same file in TREE (the folder the archive was packed from), each below
$INSTDIR. The compressor is zlib, file by file (not solid), as the setup's
archive deflates entry by entry. Like the setup, the installer leaves an
uninstaller and an entry under the system's uninstall key.

Without --wizard the installer has no pages; it is run silently with
/S /D=FOLDER. With --wizard it is the publisher's usual wizard (Modern UI 2:
welcome, folder, progress, in German), whose start-up is timed. --no-files
leaves the files out: what the installer costs without its payload.
"""
import argparse
import os
import zipfile


def quoted(literal, variable=''):
    # NSIS expands $ in strings; a literal one is written $$.
    return '"' + variable + literal.replace('$', '$$') + '"'


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('zip')
    parser.add_argument('tree')
    parser.add_argument('output')
    parser.add_argument('script')
    parser.add_argument('--wizard', action='store_true')
    parser.add_argument('--no-files', action='store_true')
    args = parser.parse_args()

    lines = [
        'Unicode true',
        'SetCompressor zlib',
        'Name "Pixolum"',
        f'OutFile {quoted(os.path.abspath(args.output))}',
        'InstallDir "$PROGRAMFILES\\Pixolum"',
        'RequestExecutionLevel admin',
    ]
    if args.wizard:
        lines += [
            '!include MUI2.nsh',
            '!insertmacro MUI_PAGE_WELCOME',
            '!insertmacro MUI_PAGE_DIRECTORY',
            '!insertmacro MUI_PAGE_INSTFILES',
            '!insertmacro MUI_LANGUAGE "German"',
        ]
    lines.append('Section')
    folder = None
    if not args.no_files:
        with zipfile.ZipFile(args.zip) as archive:
            for entry in archive.infolist():
                name = entry.filename.rstrip('/')
                windows = name.replace('/', '\\')
                if entry.is_dir():
                    lines.append('  CreateDirectory ' + quoted('\\' + windows, '$INSTDIR'))
                    continue
                parent = os.path.dirname(name).replace('/', '\\')
                if parent != folder:
                    folder = parent
                    below = '\\' + parent if parent else ''
                    lines.append('  SetOutPath ' + quoted(below, '$INSTDIR'))
                lines.append(f'  File {quoted(os.path.join(os.path.abspath(args.tree), name))}')
    lines += [
        '  WriteUninstaller "$INSTDIR\\nsis_uninstall.exe"',
        '  WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PixolumNSIS" '
        '"DisplayName" "Pixolum"',
        '  WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PixolumNSIS" '
        '"UninstallString" \'"$INSTDIR\\nsis_uninstall.exe"\'',
        'SectionEnd',
        'Section Uninstall',
        '  DeleteRegKey HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\PixolumNSIS"',
        '  RMDir /r "$INSTDIR"',
        'SectionEnd',
    ]
    text = '\n'.join(lines) + '\n'
    # The script is UTF-8 with a byte-order mark, which makensis reads as such.
    with open(args.script, 'w', encoding='utf-8-sig') as f:
        f.write(text)


if __name__ == '__main__':
    main()
