#!/usr/bin/env bash
# The uninstaller with its windows, started from the Start-menu link as a
# user does, driven headless under Xvfb; a screenshot of each window goes to
# $PX_SCREENSHOT_DIR (default <build>/screenshots/uninstall-<version>):
#  1. the viewer runs: the warning, exit code 2;
#  2. the question answered No (its default): nothing removed, exit code 3;
#  3. Yes, then the settings question answered No (its default): the result
#     says the settings stay, exit code 0 when the caller gets control back;
#  4. a file in use: the result lists it, exit code 1.
# Usage: uninstall_gui_test.sh SETUP_EXE UNINSTALL_REMOTE_EXE VIEWER_WINDOW_EXE
set -uo pipefail
if [ -z "${DISPLAY:-}" ] || [ "${PX_XVFB_WRAPPED:-}" != 1 ]; then
  export PX_XVFB_WRAPPED=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
setup=$1 remote=$2 viewer=$3
here=$(cd "$(dirname "$0")" && pwd)
export PX_GUI=1
source "$here/../lib/wine.sh"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT; cd "$work"
shots=${PX_SCREENSHOT_DIR:-$PX_BUILD_DIR/screenshots/uninstall-$PX_WINVER}
mkdir -p "$shots"

# The display belongs to this run; Wine draws frame and caption itself, in
# the nearest font to Windows' own.
wineserver -k 2>/dev/null
{
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
  wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
    /v 'Microsoft Sans Serif' /d Tahoma /f
} </dev/null >/dev/null 2>&1
wineserver -w

pf=$(px_reg_value 'HKLM\Software\Microsoft\Windows\CurrentVersion' ProgramFilesDir | sed 's/^REG_SZ *//')
folder="$pf\\Pixolum"
target=$(px_unix_path "$folder")
install() { px_wine "$setup" /silent /group=1 /desktop=1 /thumbs=1 /allusers=0 /assoc=1 >/dev/null; }
install
link=$(find "$WINEPREFIX/drive_c" -path "$WINEPREFIX/drive_c/windows" -prune -o \
       -name 'Pixolum deinstallieren.lnk' -print | head -n1)
px_check "the Start-menu link of the uninstaller" test -f "$link"
link_win='Z:'"${link//\//\\}"

start_from_link() {  # runs the link in the background; its report lands in caller.txt
  rm -f caller.txt
  wine "$remote" open "$link_win" "$folder" </dev/null >caller.txt 2>&1 &
  caller=$!
}
caller_result() {  # sets result; waits in this shell (a subshell cannot wait for our child)
  wait "$caller"
  result=$(tr -d '\r' <caller.txt | grep '^exit=' || tr -d '\r' <caller.txt | head -n3)
}
box() {  # box TEXT NAME: waits for the box, takes its picture, prints its description
  local out
  out=$(wine "$remote" box "$1" </dev/null 2>&1 | tr -d '\r')
  import -window root "$shots/$2.png" 2>/dev/null
  echo "$out"
}
answer() { wine "$remote" answer "$1" </dev/null >/dev/null 2>&1; }

# --- 1. the viewer runs
rm -f ready.flag
wine "$viewer" 'Z:'"${work//\//\\}"'\ready.flag' </dev/null >/dev/null 2>&1 &
for _ in $(seq 1 100); do [ -f ready.flag ] && break; sleep 0.1; done
start_from_link
seen=$(box Warnung 1-viewer-running)
px_check "viewer running: the warning with OK" grep -q '^default=ok' <<<"$seen"
px_check "viewer running: its text" grep -q 'Pixolum, bevor Sie mit der Deinstallation fortfahren!' <<<"$seen"
answer ok
caller_result
px_check "viewer running: exit code 2, nothing removed ($result)" test "$result" = "exit=2 folder=present"
wine cmd /c taskkill /f /im "$(basename "$viewer")" </dev/null >/dev/null 2>&1

# --- 2. the question, answered No
start_from_link
seen=$(box 'entfernen?' 2-question)
px_check "question: caption" grep -q '^caption=Pixolum 32-bit Deinstallation$' <<<"$seen"
px_check "question: No is the default" grep -q '^default=no$' <<<"$seen"
answer no
caller_result
px_check "question answered No: exit code 3 ($result)" test "$result" = "exit=3 folder=present"
px_check "question answered No: nothing removed" test -f "$target/pixo32.exe" -a -f "$link"

# --- 3. Yes, settings kept
start_from_link
box 'entfernen?' 2-question >/dev/null
answer yes
seen=$(box 'Einstellungen (pixo32.ini) gel' 3-settings-question)
px_check "settings question: No is the default" grep -q '^default=no$' <<<"$seen"
answer no
seen=$(box 'erfolgreich' 4-result)
px_check "result: the settings stay" grep -q 'bleiben erhalten' <<<"$seen"
answer ok
caller_result
px_check "removed: exit code 0 when the caller gets control back ($result)" \
  test "$result" = "exit=0 folder=present"
left=$(cd "$target" && find . | sort | tr '\n' ' ')
px_check "removed: only the settings file stays ($left)" test "$left" = ". ./pixo32.ini "
px_check "removed: the link is gone" test ! -e "$link"

# --- 4. a file in use
install
flag="$work/held.flag"
wine "$remote" hold "$folder\\pixo32.exe" 'Z:'"${flag//\//\\}" </dev/null >/dev/null 2>&1 &
holder=$!
for _ in $(seq 1 100); do [ -f "$flag" ] && break; sleep 0.1; done
start_from_link
box 'entfernen?' 2-question >/dev/null
answer yes
box 'Einstellungen (pixo32.ini) gel' 3-settings-question >/dev/null
answer yes
seen=$(box 'nicht vollst' 5-incomplete)
px_check "incomplete: the result names the file in use" grep -qF "$folder\\pixo32.exe" <<<"$seen"
answer ok
caller_result
px_check "incomplete: exit code 1 ($result)" test "$result" = "exit=1 folder=present"
rm -f "$flag"; wait "$holder"

echo "screenshots in $shots"
px_done
