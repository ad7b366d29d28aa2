#!/usr/bin/env bash
# Switches for deployment tools through the real setup.exe under Wine: /log=
# puts the silent log where it says; when the start folder cannot be written
# the log goes to the temporary folder; when nothing can be written the exit
# code still tells; /? and /help list the switches and install nothing.
# Usage: deploy_switches_test.sh SETUP_EXE REMOTE_EXE
setup=$1 remote=$2
source "$(dirname "$0")/../lib/wine.sh"

work=$(mktemp -d)
mounts=()
cleanup() {
  local m
  for m in "${mounts[@]}"; do umount "$m" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
drive_c=$WINEPREFIX/drive_c
setup_win='Z:'"${setup//\//\\}"
temp_log=$(px_unix_path "$(wine cmd /c echo %TEMP% </dev/null 2>/dev/null | tr -d '\r')")/Pixolum_Install.log
invalid=$(printf '%s' 'Ungültiges Zielverzeichnis!' | iconv -f UTF-8 -t LATIN1)
has_box() { wine "$remote" box "$1" </dev/null >/dev/null 2>&1; }
read_only() {  # read_only FOLDER: a folder even root cannot write into
  mkdir -p "$1" && mount --bind "$1" "$1" && mounts+=("$1") && mount -o remount,ro,bind "$1"
}

# --- /log= with a file in a folder whose name has blanks
mkdir -p "$drive_c/Protokolle und Berichte"
px_wine "$setup" /silent /folder= '/log=C:\Protokolle und Berichte\setup.log'; rc=$?
px_check "/log=FILE: exit code 1" test "$rc" = 1
px_check "/log=FILE: the entry is in that file" \
  grep -q ": $invalid: "$'\r'"\$" "$drive_c/Protokolle und Berichte/setup.log"
px_check "/log=FILE: nothing in the start folder" test ! -e Pixolum_Install.log

# --- /log= with a folder: the log keeps its name there
px_wine "$setup" /silent /folder= '/log=C:\Protokolle und Berichte'; rc=$?
px_check "/log=FOLDER: the entry is in FOLDER\\Pixolum_Install.log" \
  grep -q ": $invalid: " "$drive_c/Protokolle und Berichte/Pixolum_Install.log"

# --- a start folder the setup cannot write: the temporary folder takes the log
read_only "$work/nur-lesen"
rm -f "$temp_log"
(cd "$work/nur-lesen" && px_wine "$setup" /silent /folder=); rc=$?
px_check "read-only start folder: exit code 1" test "$rc" = 1
px_check "read-only start folder: the entry is in %TEMP%" grep -q ": $invalid: " "$temp_log"

# --- nowhere to write (start folder and temporary folder read-only, /log= on a
# missing drive): no log, the exit code still says the installation failed
read_only "$drive_c/TempNurLesen"
rm -f "$temp_log"
touch "$work/before"
(cd "$work/nur-lesen" &&
 px_wine cmd /c "set TMP=C:\\TempNurLesen&& set TEMP=C:\\TempNurLesen&& $setup_win /silent /folder= /log=Q:\\x.log"); rc=$?
px_check "no writable place: exit code 1 all the same" test "$rc" = 1
px_check "no writable place: no log written" \
  test -z "$(find "$drive_c" "$work" -name Pixolum_Install.log -newer "$work/before")"

# --- /? and /help: the German list of switches and exit codes, exit code 0,
# nothing installed, even together with /silent
set -f
for args in '/?' '/silent /help'; do
  wine "$remote" run "$setup_win" $args </dev/null >run.txt 2>&1 &
  box=$(wine "$remote" box '/log=Datei' </dev/null 2>&1 | tr -d '\r')
  px_check "$args: a box with the setup's caption" grep -q '^caption=Pixolum 32-bit Setup$' <<<"$box"
  px_check "$args: it lists the exit codes, in German" has_box 'Rückgabewerte:'
  wine "$remote" answer ok </dev/null >/dev/null 2>&1
  wait
  px_check "$args: exit code 0" grep -q '^exit=0 ' run.txt
done
# (The 32-bit setup writes the 32-bit registry view.)
px_check "nothing installed by /? or /help" \
  test -z "$(px_reg_value 'HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall\Pixolum' DisplayName)"
px_done
