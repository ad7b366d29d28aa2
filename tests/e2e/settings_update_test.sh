#!/usr/bin/env bash
# "setup.exe /silent" over an earlier installation keeps its settings where
# they are, in each of the three layouts (the user's application data, the
# program folder, a folder given with "/ini="): [Others] INI_Folder exactly
# as it was and the user's own settings still in the file the viewer reads.
# "/ini=" given again still moves them.
# Usage: settings_update_test.sh SETUP_EXE
setup=$1
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib/wine.sh"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT; cd "$work"

user_dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v Public | head -n1)
appdata_ini="${user_dir}AppData/Roaming/Pixolum/pixo32.ini"
pf=$(px_reg_value 'HKLM\Software\Microsoft\Windows\CurrentVersion' ProgramFilesDir)

# ini.py FILE get SECTION KEY | set SECTION KEY VALUE | drop SECTION KEY: either encoding.
ini() {
  /usr/bin/python3 - "$@" <<'PY'
import sys
path, op, section, key = sys.argv[1:5]
try:
    raw = open(path, 'rb').read()
except FileNotFoundError:
    sys.exit(0 if op == 'get' else 1)
utf16 = raw.startswith(b'\xff\xfe')
text = raw[2:].decode('utf-16-le') if utf16 else raw.decode('latin-1')
lines, current, out, done = text.split('\r\n'), None, [], False
for line in lines:
    if line.startswith('['):
        if current == section and op == 'set' and not done:
            out.append(f'{key}={sys.argv[5]}'); done = True
        current = line.strip('[]')
    elif current == section and line.split('=', 1)[0] == key:
        if op == 'get':
            print(line.split('=', 1)[1]); sys.exit(0)
        if op == 'set' and not done:
            out.append(f'{key}={sys.argv[5]}'); done = True
        continue
    out.append(line)
if op == 'get':
    sys.exit(0)
if op == 'set' and not done:
    out[-1:-1] = [f'[{section}]', f'{key}={sys.argv[5]}']
data = '\r\n'.join(out)
open(path, 'wb').write(b'\xff\xfe' + data.encode('utf-16-le') if utf16 else data.encode('latin-1'))
PY
}

# layout NAME PROGRAM_INI ACTIVE_INI EXPECTED_INI_FOLDER: the user's setting
# goes into the active file, "/silent" runs again, everything must be as before.
update_keeps() {
  local name=$1 program=$2 active=$3 folder=$4
  ini "$active" set Options Zoom Benutzer-$name
  px_wine "$setup" /silent; rc=$?
  px_check "$name: update exit code 0" test "$rc" = 0
  px_check "$name: INI_Folder stays '${folder}'" test "$(ini "$program" get Others INI_Folder)" = "$folder"
  px_check "$name: the user's setting is still in the file the viewer reads" \
    test "$(ini "$active" get Options Zoom)" = "Benutzer-$name"
}

# 1. The user's application data, in a folder outside Program Files.
px_wine "$setup" /silent '/folder=C:\PixA' >/dev/null
update_keeps appdata "$WINEPREFIX/drive_c/PixA/pixo32.ini" "$appdata_ini" '%APPDATA%\Pixolum'

# 2. The program folder, inside Program Files (where a fresh silent install
#    would pick the application data).
px_wine "$setup" /silent "/folder=$pf\\Pixolum" >/dev/null
program=$(px_unix_path "$pf\\Pixolum\\pixo32.ini")
ini "$program" drop Others INI_Folder
update_keeps program-folder "$program" "$program" ''

# 3. A folder given with "/ini=".
px_wine "$setup" /silent '/folder=C:\PixC' '/ini=C:\Einstellungen' >/dev/null
update_keeps ini-switch "$WINEPREFIX/drive_c/PixC/pixo32.ini" "$WINEPREFIX/drive_c/Einstellungen/pixo32.ini" \
  'C:\Einstellungen'

# 4. "/ini=" given with the update still wins.
px_wine "$setup" /silent '/ini=C:\Neu'; rc=$?
px_check "/ini= on an update: exit code 0, INI_Folder replaced" \
  test "$rc:$(ini "$WINEPREFIX/drive_c/PixC/pixo32.ini" get Others INI_Folder)" = '0:C:\Neu'
px_done
