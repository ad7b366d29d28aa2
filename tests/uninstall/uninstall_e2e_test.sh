#!/usr/bin/env bash
# The uninstaller end to end on one emulated Windows version, through the
# real setup (64-bit twin) under Wine:
#  1. a setup with every option, then "px_uninstall.exe /silent /removesettings":
#     the caller gets exit code 0 only when the install folder is gone, and the
#     registry and drive C: equal their snapshot from before the setup, the
#     associations of other programs the setup replaced included;
#  2. "/silent" alone: the user's file keeps its folder, the settings stay, and
#     so does an association the user gave another program after the setup;
#  3. a running viewer: exit code 2, a log entry, nothing removed;
#  4. a file in use: exit code 1, a log entry naming it, the installation
#     stays whole; a second run finishes the job.
# Usage: uninstall_e2e_test.sh SETUP_EXE UNINSTALL_REMOTE_EXE VIEWER_WINDOW_EXE
setup=$1 remote=$2 viewer=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib/wine.sh"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT; cd "$work"

latin1() { printf '%s' "$1" | iconv -f UTF-8 -t LATIN1; }
snapshot() { wineserver -w; /usr/bin/python3 "$here/snapshot.py" take "$WINEPREFIX" "$work/$1"; }
install_all() {
  px_wine "$setup" /silent /group=1 /desktop=1 /thumbs=1 /allusers=1 /assoc=2 /assocallusers
}
has_key() { wine reg query "$1" </dev/null >/dev/null 2>&1; }
export -f has_key

classes='HKLM\Software\Classes'
file_exts='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pixolum'
pf=$(px_reg_value 'HKLM\Software\Microsoft\Windows\CurrentVersion' ProgramFilesDir | sed 's/^REG_SZ *//')
folder="$pf\\Pixolum"
target=$(px_unix_path "$folder")
uninstaller="$folder\\px_uninstall.exe"
user_dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v Public | head -n1)

# What other programs own before the setup.
{
  wine reg add "$classes\\.bmp" /ve /d Paint.Picture /f
  wine reg add "$classes\\.bmp" /v 'Content Type' /d image/bmp /f
  wine reg add "$classes\\.png" /ve /d pngfile /f
  wine reg add "$classes\\.jpg" /ve /d jpegfile /f
  wine reg add "$classes\\.tif" /ve /d TIFImage.Document /f
  if [ "$PX_WINVER" = xp ]; then
    wine reg add "$file_exts\\.gif" /v ProgID /d Anderer.gif /f
  else
    wine reg add "$file_exts\\.png\\UserChoice" /v Progid /d Anderer.png /f
    wine reg add "$file_exts\\.bmp\\UserChoice" /v Progid /d Paint.Picture /f
    wine reg add "$file_exts\\.bmp\\UserChoice" /v Hash /d 'q1w2e3r4t5=' /f
  fi
  wine reg add 'HKCU\Software\Classes\AppX43hnxtbyyps62jhe9sqpdzxn1790zetc' /v Eigenes /d 1 /f
  wine reg add 'HKCU\Software\Classes\AppX43hnxtbyyps62jhe9sqpdzxn1790zetc' /v NoOpenWith /d '' /f
} </dev/null >/dev/null 2>&1

# --- 1. everything, settings included
snapshot before
install_all; rc=$?
px_check "setup: exit code 0" test "$rc" = 0
px_check "setup: the uninstaller is installed" test -f "$target/px_uninstall.exe"
# The common Start-menu group, wherever this version keeps it.
link=$(find "$WINEPREFIX/drive_c" -path "$WINEPREFIX/drive_c/windows" -prune -o \
       -name 'Pixolum deinstallieren.lnk' -print | head -n1)
group=$(dirname "${link:-/nonexistent/x}")
px_check "setup: the Start-menu group links the uninstaller" test -f "$link"
px_check "setup: QuietUninstallString" \
  test "$(px_reg_value "$uninstall_key" QuietUninstallString)" = "\"$uninstaller\" /silent"
px_check "setup: NoModify and NoRepair" \
  test "$(px_reg_value "$uninstall_key" NoModify):$(px_reg_value "$uninstall_key" NoRepair)" = "0x1:0x1"
result=$(wine "$remote" run "$uninstaller" /silent /removesettings </dev/null 2>&1 | tr -d '\r')
px_check "the caller waits: exit code 0 and the install folder gone when it returns ($result)" \
  test "$result" = "exit=0 folder=absent"
snapshot after
px_check "registry and drive C: as before the setup, what it replaced given back" \
  /usr/bin/python3 "$here/snapshot.py" compare "$work/before" "$work/after"
px_check "no log on success" test ! -e Pixolum_Install.log

# --- 2. files of the user's, settings kept, a later association of the user's
install_all >/dev/null
# A copy of the uninstaller in a folder without an installation removes nothing there.
elsewhere="$WINEPREFIX/drive_c/Anderswo"
mkdir -p "$elsewhere" && cp "$target/px_uninstall.exe" "$target/pixo32.exe" "$elsewhere/"
px_wine 'C:\Anderswo\px_uninstall.exe' /silent; rc=$?
px_check "a copy elsewhere: exit code 1, nothing removed there or here" \
  bash -c '[ "$1" = 1 ] && [ -f "$2/pixo32.exe" ] && [ -f "$3/pixo32.exe" ]' _ "$rc" "$elsewhere" "$target"
px_check "a copy elsewhere: the log says why" grep -q 'C:\\Anderswo\\" ist Pixolum nicht installiert' Pixolum_Install.log
rm -rf "$elsewhere" Pixolum_Install.log
echo 'eigene Erweiterung' >"$target/Plugins/Eigenes.dll"
wine reg add "$classes\\.tif" /ve /d Anderer.tif /f </dev/null >/dev/null 2>&1
px_wine "$uninstaller" /silent; rc=$?
px_check "/silent: exit code 0" test "$rc" = 0
left=$(cd "$target" && find . | sort | tr '\n' ' ')
px_check "/silent: the user's file keeps its folders, the settings stay ($left)" \
  test "$left" = ". ./Plugins ./Plugins/Eigenes.dll ./pixo32.ini "
px_check "/silent: the settings folder's pixo32.ini stays" test -f "${user_dir}AppData/Roaming/Pixolum/pixo32.ini"
px_check "/silent: the user's later association stays" \
  test "$(px_reg_value "$classes\\.tif" /ve)" = Anderer.tif
px_check "/silent: uninstall entry, classes and links gone" \
  bash -c '! has_key "$1" && ! has_key "$2" && ! has_key "$3" && [ ! -e "$4" ]' _ \
  "$uninstall_key" "$classes\\Pixolum.jpg" "$classes\\Pixolum" "$group"
rm -rf "$target" "${user_dir}AppData/Roaming/Pixolum"
wine reg delete "$classes\\.tif" /f </dev/null >/dev/null 2>&1

# --- 3. a running viewer
install_all >/dev/null
rm -f ready.flag
wine "$viewer" 'Z:'"${work//\//\\}"'\ready.flag' </dev/null >/dev/null 2>&1 &
for _ in $(seq 1 100); do [ -f ready.flag ] && break; sleep 0.1; done
px_wine "$uninstaller" /silent; rc=$?
px_check "viewer running: exit code 2" test "$rc" = 2
px_check "viewer running: the warning in the log" \
  grep -q "$(latin1 ': Warnung: Pixolum läuft!')"$'\r'"\$" Pixolum_Install.log
px_check "viewer running: its second line" \
  grep -q "^$(latin1 'Beenden Sie bitte Pixolum, bevor Sie mit der Deinstallation fortfahren!')"$'\r'"\$" Pixolum_Install.log
px_check "viewer running: nothing removed" \
  bash -c '[ -f "$1/pixo32.exe" ] && [ -f "$2/Pixolum $PX_VERSION.lnk" ] && has_key "$3"' _ "$target" "$group" "$uninstall_key"
wine cmd /c taskkill /f /im "$(basename "$viewer")" </dev/null >/dev/null 2>&1
wait
rm -f Pixolum_Install.log

# --- 4. a file in use, then a second run
flag="$work/held.flag"
wine "$remote" hold "$folder\\Languages\\Deutsch.dll" 'Z:'"${flag//\//\\}" </dev/null >/dev/null 2>&1 &
holder=$!
for _ in $(seq 1 100); do [ -f "$flag" ] && break; sleep 0.1; done
result=$(wine "$remote" run "$uninstaller" /silent /removesettings </dev/null 2>&1 | tr -d '\r')
px_check "file in use: exit code 1 ($result)" test "$result" = "exit=1 folder=present"
px_check "file in use: the log names it" \
  grep -q "^$(latin1 "$folder\\Languages\\Deutsch.dll" | sed 's/\\/\\\\/g'): " Pixolum_Install.log
px_check "file in use: the log's first line" \
  grep -q ": $(latin1 'Pixolum konnte nicht vollständig deinstalliert werden.')" Pixolum_Install.log
px_check "file in use: the installation stays whole, its links and entry included" \
  bash -c '[ -f "$1/px_uninstall.exe" ] && has_key "$2" && [ -f "$1/pixo32.exe" ] && [ -d "$3" ]' _ \
  "$target" "$uninstall_key" "$group"
rm -f "$flag"; wait "$holder"
result=$(wine "$remote" run "$uninstaller" /silent /removesettings </dev/null 2>&1 | tr -d '\r')
px_check "second run: exit code 0, folder gone ($result)" test "$result" = "exit=0 folder=absent"
px_check "second run: the uninstall entry is gone" bash -c '! has_key "$1"' _ "$uninstall_key"
px_check "second run: no further log entry" test "$(grep -c '^-\{48\}'$'\r''$' Pixolum_Install.log)" = 1
wineserver -w
px_check "no copy left in the temporary folder" \
  test -z "$(ls "${user_dir}Temp" | grep -i -e 'Pixolum-Deinstallation' -e '^~pxu')"
px_done
