#!/usr/bin/env bash
# Odd spellings of "/folder=": each one either installs into one folder that
# the files, the registry and the links all name (a .png opens through the
# shell, the uninstaller run from there leaves nothing), or is refused with
# "Ungültiges Zielverzeichnis!" and exit code 1 before anything is written.
# Usage: install_folder_test.sh SETUP_EXE SHELL_OPEN_EXE PAYLOAD_ZIP
setup=$1 shell_open=$2 archive=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib/wine.sh"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT; cd "$work"

uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pixolum'
has_key() { wine reg query "$1" </dev/null >/dev/null 2>&1; }
user_dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v Public | head -n1)
desktop_link="${user_dir}Desktop/Pixolum.lnk"
mkdir -p "$WINEPREFIX/drive_c/Bilder"
/usr/bin/python3 - "$WINEPREFIX/drive_c/Bilder/Bild.png" <<'PY'
import struct, sys, zlib
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
raw = b''.join(b'\0' + b'\x80\x80\x80' * 4 for _ in range(4))
open(sys.argv[1], 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 4, 4, 8, 2, 0, 0, 0))
                              + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))
PY

# installs GIVEN REAL [without-record]: the spelling, the folder Windows
# resolves it to; without-record uninstalls as an earlier build's
# installation, which has no install record.
installs() {
  local given=$1 real=$2 unix
  unix=$(px_unix_path "$real")
  px_wine "$setup" /silent "/folder=$given" /desktop=1 /group=1; rc=$?
  px_check "$given: exit code 0" test "$rc" = 0
  px_check "$given: the viewer lies in $real" test -f "$unix/pixo32.exe"
  px_check "$given: InstallLocation is $real" test "$(px_reg_value "$uninstall_key" InstallLocation)" = "$real"
  px_check "$given: DisplayIcon and uninstall string name it" test \
    "$(px_reg_value "$uninstall_key" DisplayIcon)|$(px_reg_value "$uninstall_key" UninstallString)" = \
    "${real}pixo32.exe,0|\"${real}px_uninstall.exe\""
  px_check "$given: the open command names it" test \
    "$(px_reg_value 'HKLM\Software\Classes\Pixolum\shell\open\command' /ve)" = "\"${real}pixo32.exe\" \"%1\""
  px_wine "$shell_open" 'C:\Bilder\Bild.png' >/dev/null; rc=$?
  px_check "$given: a .png opens in the installed viewer" test "$rc" = 0
  record=$(px_unix_path 'C:\ProgramData\Pixolum Setup\px_install.rec')
  px_check "$given: the install record lies in the administrators' folder, not beside the viewer" \
    test -s "$record" -a ! -e "$unix/px_install.rec"
  [ "${3:-}" = without-record ] && rm -f "$record"
  px_wine "${real}px_uninstall.exe" /silent /removesettings; rc=$?
  wineserver -w
  px_check "$given: the uninstaller exits 0" test "$rc" = 0
  px_check "$given: nothing left: folder, uninstall entry, classes, desktop link" bash -c \
    '[ ! -e "$1" ] && [ ! -e "$2" ]' _ "$unix" "$desktop_link"
  px_check "$given: no registration left" bash -c '! has_key "$1" && ! has_key "$2" && ! has_key "$3"' _ \
    "$uninstall_key" 'HKLM\Software\Classes\Pixolum' 'HKLM\Software\Classes\Pixolum.png'
}
export -f has_key

refused() {  # refused GIVEN [LABEL]
  local given=$1 before
  rm -f Pixolum_Install.log
  before=$(find "$WINEPREFIX/drive_c" -path "$WINEPREFIX/drive_c/windows" -prune -o -print | sort | md5sum)
  px_wine "$setup" /silent "/folder=$given"; rc=$?
  given=${2:-$given}
  px_check "$given: refused with exit code 1" test "$rc" = 1
  px_check "$given: the log says Ungültiges Zielverzeichnis!" \
    grep -q "$(printf 'Ung\xfcltiges Zielverzeichnis!')" Pixolum_Install.log
  px_check "$given: nothing written on drive C:" test \
    "$(find "$WINEPREFIX/drive_c" -path "$WINEPREFIX/drive_c/windows" -prune -o -print | grep -v Pixolum_Install.log | sort | md5sum)" = "$before"
  px_check "$given: no uninstall entry" bash -c '! has_key "$1"' _ "$uninstall_key"
}

installs 'C:\Pix Inner \Sub' 'C:\Pix Inner\Sub\'
installs 'C:\Tools\\Pixolum' 'C:\Tools\Pixolum\' without-record
refused 'relpix'
refused '\PixRoot'

# The deepest entry of the archive must fit below the folder within 259 characters.
deepest=$(/usr/bin/python3 -c 'import sys, zipfile; print(max(len(n) for n in zipfile.ZipFile(sys.argv[1]).namelist()))' "$archive")
folder_of() {  # C:\L\LLL...\ of exactly $1 characters
  local n=$1 tail
  tail=$(printf 'L%.0s' $(seq 1 $((n - 6))))
  printf 'C:\\L\\%s\\' "$tail"
}
refused "$(folder_of $((259 - deepest + 1)))" "a folder of $((259 - deepest + 1)) characters"
longest=$(folder_of $((259 - deepest)))
px_wine "$setup" /silent "/folder=$longest"; rc=$?
px_check "a folder of $((259 - deepest)) characters installs the deepest file (exit code $rc)" test "$rc" = 0
px_done
