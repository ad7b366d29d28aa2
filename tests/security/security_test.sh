#!/usr/bin/env bash
# What a user without administrator rights could plant, against the shipped
# setup and uninstaller, which run elevated. Wine enforces no access rights:
# "a user can write X" is simulated by writing X; Unix symbolic links stand in
# for junctions (Wine reports them as reparse points).
#  1. a hard link and a folder planted as %TEMP%\pixog_x32.zip (the name
#     earlier builds used): the linked file stays as it was, the installation
#     is whole;
#  2. a forged install record beside the viewer: a debugger for a system
#     program, a service, another vendor's values, another user's hive and
#     another program's uninstall entry are refused; with the machine's record
#     in place it is not read at all, without it the product's own entries
#     still give back what the setup replaced;
#  3. a link planted in the target before an update: refused (exit code 1, the
#     log names it), nothing written through it; before an uninstallation:
#     nothing deleted through it;
#  4. a tampered INI_Folder: an update creates nothing in the system folder,
#     the uninstaller deletes nothing in the folder it names.
# Usage: security_test.sh SETUP_EXE PAYLOAD_ZIP
setup=$1 archive=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib/wine.sh"
work=$(mktemp -d); trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT; cd "$work"
e2e=$here/../e2e

pf=$( [ "$PX_WINEARCH" = win64 ] && echo 'C:\Program Files (x86)' || echo 'C:\Program Files')
folder="$pf\\Pixolum"
target=$(px_unix_path "$folder")
drive_c=$WINEPREFIX/drive_c
sw=$( [ "$PX_WINEARCH" = win64 ] && echo 'HKLM\Software\Wow6432Node' || echo 'HKLM\Software')
# The machine's record, in the shell's folder for all users' application data.
machine_record() { find "$drive_c" -path '*/Pixolum Setup/px_install.rec' 2>/dev/null | head -n1; }
complete() { /usr/bin/python3 "$e2e/compare_tree.py" "$archive" "$target" >/dev/null; }
install() { px_wine "$setup" /silent /group=1 /assoc=1 "$@" >/dev/null; }
uninstall() { px_wine "$folder\\px_uninstall.exe" /silent "$@" >/dev/null; }
temp=$(px_unix_path "$(wine cmd /c echo %TEMP% </dev/null 2>/dev/null | tr -d '\r')")
wine reg add 'HKLM\Software\Classes\.bmp' /ve /d Paint.Picture /f </dev/null >/dev/null 2>&1

# --- 1. the earlier temporary archive's name, planted
mkdir -p "$temp" "$drive_c/Anderes"
printf 'fremd' >"$drive_c/Anderes/daten.bin"
ln -f "$drive_c/Anderes/daten.bin" "$temp/pixog_x32.zip"
install; rc=$?
whole() { [ "$1" = 0 ] && complete; }
px_check "hard link as the temporary archive: exit code 0, the installation whole" whole "$rc"
px_check "hard link as the temporary archive: the linked file untouched" \
  test "$(cat "$drive_c/Anderes/daten.bin")" = fremd
rm -f "$temp/pixog_x32.zip"; mkdir "$temp/pixog_x32.zip"
install; rc=$?
px_check "folder as the temporary archive: exit code 0" test "$rc" = 0
rmdir "$temp/pixog_x32.zip"

# --- 2. a forged record beside the viewer
wine reg add "$sw\\OtherVendor\\App" /v Path /d 'C:\OtherVendor' /f </dev/null >/dev/null 2>&1
wine reg add "$sw\\OtherVendor\\App" /v Config /d keep /f </dev/null >/dev/null 2>&1
wine reg add "$sw\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OtherApp" /v DisplayName /d 'Other App' /f \
  </dev/null >/dev/null 2>&1
machine=$( [ "$PX_WINEARCH" = win64 ] && echo '\REGISTRY\MACHINE\SOFTWARE\Wow6432Node' || echo '\REGISTRY\MACHINE\SOFTWARE')
forge() {  # the record's line format: kind, then hex fields (UTF-16LE text, little-endian numbers)
  /usr/bin/python3 - "$machine" <<'PY'
import struct, sys
m = sys.argv[1]
h = lambda b: b.hex() if b else '-'
t = lambda s: h(s.encode('utf-16-le'))
n = lambda v: h(struct.pack('<I', v))
def value(key, name, new, had=False, old=b'', typ=1):
    return 'V %s %s %s %s %s %s %s\r\n' % (t(key), t(name), n(1 if had else 0), n(typ if had else 0), h(old), n(typ), h(new))
sz = lambda s: (s + '\0').encode('utf-16-le')
def deleted(key, name, typ, data):  # a key "deleted" by the setup, with one value to give back
    return 'D %s %s %s %s %s %s %s %s\r\n' % (t(key), n(1), t(name), n(1), n(typ), h(data), n(0), '-')
lines = [
    'K %s\r\n' % t(m + r'\Microsoft\Windows NT\CurrentVersion\Image File Execution Options\sethc.exe'),
    deleted(m + r'\Microsoft\Windows NT\CurrentVersion\Image File Execution Options\sethc.exe',
            'Debugger', 1, sz('cmd.exe')),
    deleted(r'\REGISTRY\MACHINE\SYSTEM\CurrentControlSet\Services\PxEvil', 'Start', 4, struct.pack('<I', 2)),
    value(m + r'\OtherVendor\App', 'Path', sz(r'C:\OtherVendor'), True, sz(r'C:\Evil')),
    value(m + r'\OtherVendor\App', 'Config', sz('keep')),
    value(r'\REGISTRY\USER\S-1-5-21-1-2-3-1001\Software\Classes\.txt', '', sz('evil')),
    value(m + r'\Microsoft\Windows\CurrentVersion\Uninstall\OtherApp', 'DisplayName', sz('Other App')),
]
sys.stdout.buffer.write(''.join(lines).encode('utf-16-le'))
PY
}
attacked() {
  [ -n "$(px_reg_value "$sw\\Microsoft\\Windows NT\\CurrentVersion\\Image File Execution Options\\sethc.exe" Debugger)" ] ||
    [ -n "$(px_reg_value 'HKLM\System\CurrentControlSet\Services\PxEvil' Start)" ] ||
    [ "$(px_reg_value "$sw\\OtherVendor\\App" Path)" != 'C:\OtherVendor' ] ||
    [ "$(px_reg_value "$sw\\OtherVendor\\App" Config)" != keep ] ||
    [ "$(px_reg_value "$sw\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\OtherApp" DisplayName)" != 'Other App' ]
}
# With the machine's record in place the one beside the viewer is never read.
forge >"$target/px_install.rec"
uninstall; rc=$?
px_check "forged record beside the viewer, machine record present: exit code 0 ($rc)" test "$rc" = 0
unharmed() { ! attacked; }
px_check "forged record beside the viewer, machine record present: nothing of it done" unharmed
px_check "the uninstaller gave .bmp back to its earlier program" \
  test "$(px_reg_value 'HKLM\Software\Classes\.bmp' /ve)" = Paint.Picture
# An installation by an earlier build: its record lies beside the viewer.
install; rc=$?
wineserver -w
record=$(machine_record)
px_check "the machine's record exists, not beside the viewer" test -s "$record" -a ! -e "$target/px_install.rec"
{ cat "$record"; forge; } >"$target/px_install.rec"; rm -f "$record"
uninstall; rc=$?
px_check "earlier build's record with forged entries: refused and reported (exit code 1: $rc)" test "$rc" = 1
px_check "earlier build's record with forged entries: nothing of them done" unharmed
px_check "earlier build's record: the product's own entries still replay (.bmp given back)" \
  test "$(px_reg_value 'HKLM\Software\Classes\.bmp' /ve)" = Paint.Picture
px_check "earlier build's record: the installation is gone" test ! -e "$target/pixo32.exe"

# --- 3. a link planted in the target
mkdir -p "$drive_c/Fremd"
printf 'fremd' >"$drive_c/Fremd/index.htm"
install; rc=$?
rm -rf "$target/Html"; ln -s "$drive_c/Fremd" "$target/Html"
rm -f Pixolum_Install.log
install; rc=$?
px_check "link in the target before an update: exit code 1 ($rc)" test "$rc" = 1
px_check "link in the target before an update: the log names it" grep -q 'Pixolum\\Html' Pixolum_Install.log
px_check "link in the target before an update: nothing written through it" \
  test "$(ls "$drive_c/Fremd")" = index.htm -a "$(cat "$drive_c/Fremd/index.htm")" = fremd
uninstall; rc=$?
px_check "link in the target before an uninstallation: nothing deleted through it" \
  test "$(cat "$drive_c/Fremd/index.htm" 2>/dev/null)" = fremd
rm -f "$target/Html"
uninstall >/dev/null

# --- 4. a tampered settings folder
mkdir -p "$drive_c/OtherApp"; printf '[Other]\r\nx=1\r\n' >"$drive_c/OtherApp/pixo32.ini"
install; rc=$?
ini=$target/pixo32.ini
sed -i 's/^INI_Folder=.*/INI_Folder=C:\\windows\\system32/' "$ini"
install; rc=$?
px_check "INI_Folder naming the system folder: the update creates no pixo32.ini there" \
  test ! -e "$drive_c/windows/system32/pixo32.ini"
sed -i 's/^INI_Folder=.*/INI_Folder=C:\\OtherApp/' "$ini"
uninstall /removesettings; rc=$?
px_check "INI_Folder naming another program's folder: the uninstaller deletes nothing there" \
  test -f "$drive_c/OtherApp/pixo32.ini"
px_check "and leaves no pixo32.ini_temp there either" test ! -e "$drive_c/OtherApp/pixo32.ini_temp"
px_done
