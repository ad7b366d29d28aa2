#!/usr/bin/env bash
# What an administrator preparing a rollout sees, through the shipped setup:
# /log= on success holds one entry with the counts; a newer installed version
# gives exit code 3, a log entry and no change at all (the wizard asks, "Nein"
# the default, and changes nothing on "Nein"); a viewer running from
# the install folder on another desktop gives exit code 2; another folder
# moves the installation (nothing of the earlier folder's payload or links
# stays, the user's file and settings do); /ini=NEW on an update carries the
# user's settings over.
# Usage: fleet_test.sh SETUP_EXE VIEWER_WINDOW_EXE REMOTE_EXE
setup=$1 viewer=$2 remote=$3
source "$(dirname "$0")/../lib/wine.sh"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT; cd "$work"

drive_c=$WINEPREFIX/drive_c
# The 32-bit setup's own uninstall entry, in the 32-bit registry view.
uninstall_key='HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Pixolum'
user_dir=$(ls -d "$drive_c"/users/*/ | grep -v Public | head -n1)
appdata_ini="${user_dir}AppData/Roaming/Pixolum/pixo32.ini"
log=$drive_c/logs/px.log
mkdir -p "$drive_c/logs"
latin1() { printf '%s' "$1" | iconv -f UTF-8 -t LATIN1; }
# utf16_has FILE TEXT: the settings file (UTF-16 or ANSI) holds TEXT.
utf16_has() {
  /usr/bin/python3 -c '
import sys; raw = open(sys.argv[1], "rb").read()
text = raw[2:].decode("utf-16-le") if raw[:2] == b"\xff\xfe" else raw.decode("latin-1")
sys.exit(0 if sys.argv[2] in text else 1)' "$1" "$2" 2>/dev/null
}
# The registry (both hives as reg.exe exports them) and every
# file on drive C: with its size and hash, the logs left out.
snapshot() {
  local f
  for f in HKLM HKCU; do
    wine reg export "$f" "$(winepath -w "$work/$f.reg")" /y </dev/null >/dev/null 2>&1
    # Wine's display driver stamps the time each program starts.
    iconv -f UTF-16LE -t UTF-8 "$work/$f.reg" | tr -d '\r' | grep -v '^"DriverDateData"='
  done
  (cd "$drive_c" && find . -path ./logs -prune -o -path ./windows -prune -o -type f -print0 |
     sort -z | xargs -0 sha1sum)
}
# Paths to the earlier folder in any link on drive C:, ANSI or UTF-16.
links_to() {
  /usr/bin/python3 - "$drive_c" "$1" <<'PY'
import os, sys
root, folder = sys.argv[1], sys.argv[2].lower()
for base, _, files in os.walk(root):
    for name in files:
        if name.lower().endswith('.lnk'):
            data = open(os.path.join(base, name), 'rb').read().lower()
            if folder.encode('latin-1') in data or folder.encode('utf-16-le') in data:
                print(os.path.join(base, name))
PY
}

# --- 1. /log= on success: one entry with the version, the folder and the counts
px_wine "$setup" /silent '/folder=C:\Pix1' /desktop=1 /group=1 '/log=C:\logs\px.log'; rc=$?
px_check "first installation: exit code 0" test "$rc" = 0
links=$(find "$drive_c" -iname '*.lnk' -ipath '*pixolum*' | wc -l)
files=$(($(find "$drive_c/Pix1" -type f | wc -l) + 1))   # and the settings in %APPDATA%
px_check "/log= on success: the entry names version, folder, $files files and $links links" \
  grep -Eq "$(latin1 ": Pixolum 4\.72 installiert in C:\\\\Pix1\\\\: $files Dateien, [1-9][0-9]* Registrierungswerte, $links Verknüpfungen")"$'\r'"\$" "$log"
px_check "first installation: the links are there" test "$links" -ge 2

# --- 2. a newer version installed: exit code 3, a log entry, no change
wine reg add "$uninstall_key" /v VersionMajor /t REG_DWORD /d 5 /f </dev/null >/dev/null 2>&1
wine reg add "$uninstall_key" /v VersionMinor /t REG_DWORD /d 10 /f </dev/null >/dev/null 2>&1
wineserver -w
snapshot >before.txt
px_wine "$setup" /silent '/folder=C:\Pix1' /desktop=1 '/log=C:\logs\px.log'; rc=$?
wineserver -w
snapshot >after.txt
px_check "newer version installed: exit code 3" test "$rc" = 3
px_check "newer version installed: the log says so" \
  grep -q "$(latin1 ': Eine neuere Version von Pixolum ist bereits installiert.')" "$log"
px_check "newer version installed: registry and files as before" cmp -s before.txt after.txt
diff before.txt after.txt | head -20
# The wizard asks, "Nein" the default; "Nein" ends it without a change.
wine "$remote" run 'Z:'"${setup//\//\\}" </dev/null >run.txt 2>&1 &
wine "$remote" box 'neuere Version' </dev/null >box.txt 2>&1
px_check "wizard over a newer version: it asks, \"Nein\" the default" grep -q '^default=no'$'\r''\?$' box.txt
wine "$remote" answer no </dev/null >/dev/null 2>&1
wait
px_check "wizard over a newer version: exit code 0" grep -q '^exit=0 ' run.txt
wineserver -w
snapshot >after.txt
px_check "wizard over a newer version: \"Nein\" changes nothing" cmp -s before.txt after.txt
wine reg add "$uninstall_key" /v VersionMajor /t REG_DWORD /d 4 /f </dev/null >/dev/null 2>&1
wine reg add "$uninstall_key" /v VersionMinor /t REG_DWORD /d 72 /f </dev/null >/dev/null 2>&1

# --- 3. a viewer on another desktop, its window out of sight: exit code 2
cp "$drive_c/Pix1/pixo32.exe" "$work/viewer.keep"
cp "$viewer" "$drive_c/Pix1/pixo32.exe"
wine explorer /desktop=other,800x600 'C:\Pix1\pixo32.exe' 'C:\logs\ready.flag' </dev/null >/dev/null 2>&1 &
for _ in $(seq 1 150); do [ -f "$drive_c/logs/ready.flag" ] && break; sleep 0.1; done
px_check "viewer runs on the desktop 'other'" test -f "$drive_c/logs/ready.flag"
px_wine "$setup" /silent '/folder=C:\Pix2' '/log=C:\logs\px.log'; rc=$?
px_check "viewer on another desktop: exit code 2" test "$rc" = 2
px_check "viewer on another desktop: nothing installed" test ! -e "$drive_c/Pix2"
wineserver -k; wineserver -w; wait
cp "$work/viewer.keep" "$drive_c/Pix1/pixo32.exe"

# --- 4. another folder moves the installation
/usr/bin/python3 - "$appdata_ini" <<'PY'
import sys
raw = open(sys.argv[1], 'rb').read()
utf16 = raw[:2] == b'\xff\xfe'
text = (raw[2:].decode('utf-16-le') if utf16 else raw.decode('latin-1')) + '\r\n[Options]\r\nZoom=Benutzer\r\n'
open(sys.argv[1], 'wb').write(b'\xff\xfe' + text.encode('utf-16-le') if utf16 else text.encode('latin-1'))
PY
echo notiz >"$drive_c/Pix1/Meine Notiz.txt"
px_wine "$setup" /silent '/folder=C:\Pix2' /desktop=1 /group=1; rc=$?
px_check "move: exit code 0" test "$rc" = 0
px_check "move: of the earlier folder only the user's file stays" \
  test "$(cd "$drive_c/Pix1" && find . -mindepth 1)" = './Meine Notiz.txt'
px_check "move: no link leads into the earlier folder" test -z "$(links_to 'C:\Pix1\')"
no_value_names_pix1() { ! snapshot | grep -qi 'Pix1\\'; }
px_check "move: no registry value names the earlier folder" no_value_names_pix1
px_check "move: the new folder's settings point to the user's settings" \
  utf16_has "$drive_c/Pix2/pixo32.ini" 'INI_Folder=%APPDATA%\Pixolum'
px_check "move: the user's settings are kept" utf16_has "$appdata_ini" 'Zoom=Benutzer'
px_check "move: no file kept aside remains" test -z "$(find "$drive_c" -name '*.px_old' -o -name '*.px_new')"

# --- 5. an update with /ini=NEW carries the user's settings over
px_wine "$setup" /silent '/ini=C:\Neu'; rc=$?
px_check "/ini=NEW: exit code 0" test "$rc" = 0
px_check "/ini=NEW: the program folder points there" utf16_has "$drive_c/Pix2/pixo32.ini" 'INI_Folder=C:\Neu'
px_check "/ini=NEW: the user's settings came along" utf16_has "$drive_c/Neu/pixo32.ini" 'Zoom=Benutzer'
px_done
