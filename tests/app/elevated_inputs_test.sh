#!/usr/bin/env bash
# What a user without administrator rights can hand the elevated shipped
# setup (Wine enforces no rights: "a user can write X" is simulated by
# writing X, Unix hard links stand in for NTFS ones):
#  1. /folder= a drive root, the Windows folder or a folder below it: refused
#     with string 5 (exit code 1, log entry), nothing created or removed;
#  2. a CR LF in /folder= is shown escaped: it forges no dated log entry;
#  3. a log planted as a hard link, in the start folder and in %TEMP%: the
#     linked file is left untouched (a symbolic link to a file is no
#     reparse point under Wine 8: it shows the file's own attributes, so the
#     refusal of reparse points cannot be shown here);
#  4. an install folder the setup creates outside Program Files gets the
#     rights Program Files has; one that existed before keeps its own. Wine
#     stores no descriptors (it maps them to Unix mode bits), so the test
#     reads the one the setup hands to Wine's server, which the server's
#     protocol trace (WINEDEBUG=+server) prints in full.
# Usage: elevated_inputs_test.sh SETUP_EXE
setup=$1
source "$(dirname "$0")/../lib/wine.sh"
work=$(mktemp -d); trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT; cd "$work"
drive_c=$WINEPREFIX/drive_c
latin1() { printf '%s' "$1" | iconv -f UTF-8 -t LATIN1; }
invalid=$(latin1 'Ungültiges Zielverzeichnis!')
temp_log=$(px_unix_path "$(wine cmd /c echo %TEMP% </dev/null 2>/dev/null | tr -d '\r')")/Pixolum_Install.log

# --- 1. system folders
# Drive C: to depth 2, but for the machine's record folder, which every run
# makes at its start.
drive_c_now() { (cd "$drive_c" && find . -maxdepth 2 ! -path './ProgramData/Pixolum Setup' | sort); }
mkdir -p "$drive_c/windows/help"
before=$(drive_c_now)
for folder in 'C:\windows' 'C:\Windows\Pixolum' 'C:\'; do
  rm -f Pixolum_Install.log
  px_wine "$setup" /silent "/folder=$folder"; rc=$?
  px_check "/folder=$folder: exit code 1" test "$rc" = 1
  px_check "... the log names string 5 and the folder" grep -qF "$invalid: $folder"$'\r' Pixolum_Install.log
done
px_check "... and drive C: has nothing new, C:\\windows\\help is still there" \
  test "$(drive_c_now)" = "$before"

# --- 2. a CR LF in a value from the command line
rm -f Pixolum_Install.log
px_wine "$setup" /silent $'/folder=C:\\windows\\x\r\n01.01.2030 - 00:00:00: Installation erfolgreich'
px_check "CR LF in /folder=: shown as <0D><0A>" \
  grep -qF "$invalid: C:\\windows\\x<0D><0A>01.01.2030 - 00:00:00: Installation erfolgreich" Pixolum_Install.log
px_check "... one entry, no forged one" test "$(grep -c ' - [0-9:]*: ' Pixolum_Install.log)" = 1

# --- 3. planted logs
printf 'fremd\r\n' >victim; cp victim expected
rm -f Pixolum_Install.log "$temp_log"
ln victim Pixolum_Install.log
px_wine "$setup" /silent /folder=; rc=$?
px_check "hard link as the log in the start folder: exit code 1" test "$rc" = 1
px_check "... the linked file is untouched" cmp -s victim expected
px_check "... the entry went to %TEMP% instead" grep -qF "$invalid: " "$temp_log"
rm -f Pixolum_Install.log "$temp_log"
ln victim "$temp_log"
px_wine "$setup" /silent /folder= '/log=Q:\nirgends\setup.log'; rc=$?
px_check "hard link as the log in %TEMP% (the fallback): exit code 1, the linked file untouched" \
  test "$rc" = 1 -a "$(cat victim)" = "$(cat expected)"
rm -f "$temp_log"

# --- 4. rights of the install folder
# Prints "FOLDER CONTROL ACE..." for every descriptor the setup sets on a file
# or folder below C:\ROOT (the record folder has rights of its own).
descriptors() {
  /usr/bin/python3 - "$1" "$2" <<'PY'
import re, sys
opened = {}
for line in open(sys.argv[1], encoding='latin-1'):
    m = re.match(r'(\w+): create_file\(.*name=L"([^"]*)"', line)
    if m: name = (m.group(1), m.group(2).replace('\\\\', '\\')); continue
    m = re.match(r'(\w+): create_file\(\) = 0 \{ handle=(\w+) \}', line)
    if m and name[0] == m.group(1): opened[(m.group(1), m.group(2))] = name[1]; continue
    m = re.match(r'(\w+): set_security_object\( handle=(\w+), .*sd=\{control=(\w+),.*dacl=\{(.*)\}\} \)', line)
    if m:
        aces = re.findall(r'type=(\w+),flags=(\w+),mask=(\w+),sid=([\w-]+)', m.group(4))
        name = opened.get((m.group(1), m.group(2)), '?')
        if name.lower().startswith('\\??\\c:\\' + sys.argv[2].lower()):
            print(name, m.group(3), *(','.join(a) for a in aces))
PY
}
traced_install() {  # traced_install FOLDER: a fresh server, its protocol trace in server.log
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  WINEDEBUG=+server wine "$setup" /silent "/folder=$1" </dev/null >server.log 2>&1; local rc=$?
  wineserver -w; return $rc
}
traced_install 'C:\Neu angelegt\Pixolum'; rc=$?
px_check "a new folder outside Program Files: exit code 0" test "$rc" = 0
descriptors server.log 'Neu angelegt' >set.txt
# Program Files' rights: SYSTEM (S-1-5-18) and Administrators (S-1-5-32-544)
# full control (0x1f01ff), Users (S-1-5-32-545) read and execute (0x1200a9),
# for subfolders and files (flags 3), protected (control bit 0x1000).
rights="ACCESS_ALLOWED,3,1f01ff,S-1-5-18 ACCESS_ALLOWED,3,1f01ff,S-1-5-32-544 ACCESS_ALLOWED,3,1200a9,S-1-5-32-545"
for level in 'C:\Neu angelegt' 'C:\Neu angelegt\Pixolum'; do
  px_check "... $level gets Program Files' rights, protected" \
    grep -qxF "\\??\\$level 00001004 $rights" set.txt
done
px_check "... and none on what lies below them" test "$(wc -l <set.txt)" = 2
mkdir -p "$drive_c/Vorhanden"
traced_install 'C:\Vorhanden'; rc=$?
px_check "a folder that existed before: exit code 0, its rights left as they were" \
  test "$rc" = 0 -a -z "$(descriptors server.log Vorhanden)"
px_done
