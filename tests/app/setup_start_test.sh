#!/usr/bin/env bash
# The real setup.exe under Wine: silent refusals and their log entries and
# exit codes. Usage: setup_start_test.sh SETUP_EXE VIEWER_WINDOW_EXE
setup=$1 viewer=$2
source "$(dirname "$0")/../lib/wine.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

latin1() { printf '%s' "$1" | iconv -f UTF-8 -t LATIN1; }

# --- a running viewer: string 10 into the log of the start folder, exit 2, twice
rm -f ready.flag
wine "$viewer" 'Z:'"${work//\//\\}"'\ready.flag' </dev/null >/dev/null 2>&1 &
for _ in $(seq 1 100); do [ -f ready.flag ] && break; sleep 0.1; done
px_check "viewer window is up" test -f ready.flag
px_wine "$setup" /silent /folder=C:\\Beside; rc1=$?
px_wine "$setup" /silent; rc2=$?
px_check "refused beside a running viewer: exit code 2 twice" test "$rc1:$rc2" = "2:2"
log=Pixolum_Install.log
px_check "log written in the start folder" test -f "$log"
px_check "two entries, each with its separator line" \
  test "$(grep -c '^------------------------------------------------'$'\r''$' "$log")" = 2
px_check "the message spans two lines in Latin-1 with CR LF" \
  grep -q "$(latin1 ': Warnung: Pixolum läuft!')"$'\r'"\$" "$log"
px_check "second line of the message" \
  grep -q "^$(latin1 'Beenden Sie bitte Pixolum bevor Sie mit der Installation fortsetzen!')"$'\r'"\$" "$log"
px_check "entry line has date and 24-hour time" \
  grep -Eq '^[0-9./-]+ - [0-2][0-9]:[0-5][0-9]:[0-5][0-9]: ' "$log"
px_check "nothing installed beside the viewer" test ! -e "$WINEPREFIX/drive_c/Beside"
wine cmd /c taskkill /f /im viewer_window.exe </dev/null >/dev/null 2>&1
wait
rm -f "$log"

# --- an empty folder value: string 5, exit 1
px_wine "$setup" /silent /folder=; rc=$?
px_check "/folder= empty: exit code 1" test "$rc" = 1
px_check "/folder= empty: log says the folder is invalid" \
  grep -q "$(latin1 ' - ')[0-9:]*: $(latin1 'Ungültiges Zielverzeichnis!'): "$'\r'"\$" "$log"
rm -f "$log"

# --- a folder on a drive that does not exist: string 11 with the folder, exit 1
px_wine "$setup" /silent '/folder=Q:\Gibt es nicht'; rc=$?
px_check "missing drive: exit code 1" test "$rc" = 1
px_check "missing drive: first line of string 11" \
  grep -q ": $(latin1 'Kann Zielverzeichnis nicht erstellen!')"$'\r'"\$" "$log"
px_check "missing drive: the folder follows the message" \
  grep -q "^$(latin1 'Versuchen Sie das Zielverzeichnis zuerst händisch zu erstellen.'): Q:\\\\Gibt es nicht\\\\"$'\r'"\$" "$log"
px_check "missing drive: one separator line" \
  test "$(grep -c '^-\{48\}'$'\r''$' "$log")" = 1

px_done
