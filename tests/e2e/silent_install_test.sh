#!/usr/bin/env bash
# A silent installation through the real setup (64-bit twin) under Wine:
# files byte for byte with their dates, both settings files, the temporary
# archive gone, the exit code; a second run keeps the user's toolbar skin;
# "/ini=" keeps the settings in the program folder.
# Usage: silent_install_test.sh SETUP_EXE PAYLOAD_ZIP
setup=$1 archive=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib/wine.sh"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT; cd "$work"

user_dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v Public | head -n1)
appdata_ini="${user_dir}AppData/Roaming/Pixolum/pixo32.ini"
target="$WINEPREFIX/drive_c/Pixo Test/Ziel"

start=$(date +%s.%N)
px_wine "$setup" /silent "/folder= C:\\Pixo Test\\Ziel "; rc=$?
end=$(date +%s.%N)
awk -v a="$start" -v b="$end" 'BEGIN { printf "silent installation took %.2f s\n", b - a }'
px_check "exit code 0" test "$rc" = 0
px_check "no log on success" test ! -e Pixolum_Install.log
px_check "every entry byte for byte with its date and time" /usr/bin/python3 "$here/compare_tree.py" "$archive" "$target"
px_check "temporary archive removed" test -z "$(find "$WINEPREFIX/drive_c" -name pixog_x32.zip)"

ini="$target/pixo32.ini"
px_check "program-folder pixo32.ini is ANSI (no BOM)" test "$(head -c2 "$ini" | od -An -tx1 | tr -d ' ')" != fffe
px_check "program-folder pixo32.ini names the settings folder" grep -q '^INI_Folder=%APPDATA%\\Pixolum'$'\r''$' "$ini"
{ printf '\xff\xfe'; printf '; UNICODE FILE - edit with care ;-)\r\n\r\n' | iconv -f UTF-8 -t UTF-16LE; } > header.bin
px_check "header is 80 bytes" test "$(stat -c %s header.bin)" = 80
px_check "settings file in %APPDATA%\\Pixolum starts with BOM and the header line" \
  cmp -n 80 header.bin "$appdata_ini"
text=$(tail -c +3 "$appdata_ini" | iconv -f UTF-16LE -t UTF-8 | tr -d '\r')
px_check "language keys" grep -qx 'DLL=DEUTSCH.DLL' <<<"$text"
px_check "language name" grep -qx 'Lang=Deutsch' <<<"$text"
px_check "a toolbar skin with its size" grep -qx 'Size=[0-9][0-9]' <<<"$text"

# The user picks another skin; a second installation keeps it.
/usr/bin/python3 - "$appdata_ini" <<'PY'
import re, sys
p = sys.argv[1]
t = open(p, 'rb').read().decode('utf-16')
t = re.sub(r'Skin=[^\r\n]*', 'Skin=Marlo_16.png', t)
t = re.sub(r'Size=[^\r\n]*', 'Size=16', t)
open(p, 'wb').write(t.encode('utf-16-le') if t.startswith('\ufeff') else b'\xff\xfe' + t.encode('utf-16-le'))
PY
px_wine "$setup" /silent "/folder=C:\\Pixo Test\\Ziel"; rc=$?
text=$(tail -c +3 "$appdata_ini" | iconv -f UTF-16LE -t UTF-8 | tr -d '\r')
px_check "second run: exit code 0" test "$rc" = 0
px_check "second run keeps the user's skin and size" \
  bash -c 'grep -qx "Skin=Marlo_16.png" <<<"$1" && grep -qx "Size=16" <<<"$1"' _ "$text"

# "/ini=" empties the settings folder: settings stay in the program folder.
px_wine "$setup" /silent '/folder=C:\Andere' /ini=; rc=$?
other="$WINEPREFIX/drive_c/Andere/pixo32.ini"
px_check "/ini=: exit code 0" test "$rc" = 0
px_check "/ini=: settings in the program folder as UTF-16" test "$(head -c2 "$other" | od -An -tx1 | tr -d ' ')" = fffe
px_check "/ini=: no INI_Folder key" bash -c '! (tail -c +3 "$1" | iconv -f UTF-16LE -t UTF-8 | grep -q INI_Folder)' _ "$other"

# ... unless the target lies in the default folder.
pf=$(px_reg_value 'HKLM\Software\Microsoft\Windows\CurrentVersion' ProgramFilesDir)
px_wine "$setup" /silent "/folder=$pf\\Pixolum\\Zweig" /ini=; rc=$?
branch=$(px_unix_path "$pf\\Pixolum\\Zweig\\pixo32.ini")
px_check "/ini= below the default folder: settings folder is %APPDATA%\\Pixolum" \
  grep -q '^INI_Folder=%APPDATA%\\Pixolum'$'\r''$' "$branch"

px_done
