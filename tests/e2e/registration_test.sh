#!/usr/bin/env bash
# Silent installations with every registration choice on one emulated
# Windows version, checked in the prefix's registry and shell folders; a
# second installation without "/folder=" finds the first one's folder; on
# Windows 10 a .png opened through the shell starts the installed viewer.
# Usage: registration_test.sh SETUP_EXE SHELL_OPEN_EXE
setup=$1 shell_open=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib/wine.sh"
work=$(mktemp -d); trap 'rm -rf "$work"' EXIT; cd "$work"
folder='C:\Pixolum Reg\'
# Windows has this key from Vista on; a fresh Wine prefix lacks it.
[ "$PX_WINVER" != xp ] && wine reg add 'HKLM\Software\RegisteredApplications' /f >/dev/null 2>&1

px_wine "$setup" /silent '/folder=C:\Pixolum Reg' /group=1 /desktop=1 /thumbs=1 /allusers=0 /assoc=1; rc=$?
wineserver -w
px_check "first installation: exit code 0" test "$rc" = 0
px_check "first installation: registry and links (/assoc=1, current user)" \
  /usr/bin/python3 "$here/check_registration.py" "$WINEPREFIX" "$PX_WINVER" "$folder" 1 0 0

px_wine "$setup" /silent /group=1 /desktop=1 /thumbs=1 /allusers=1 /assoc=2 /assocallusers; rc=$?
wineserver -w
px_check "second installation: exit code 0" test "$rc" = 0
px_check "second installation finds the first one's folder; /assoc=2, all users" \
  /usr/bin/python3 "$here/check_registration.py" "$WINEPREFIX" "$PX_WINVER" "$folder" 2 1 1

if [ "$PX_WINVER" = 10 ]; then
  mkdir -p "$WINEPREFIX/drive_c/Bilder"
  /usr/bin/python3 "$here/make_png.py" "$WINEPREFIX/drive_c/Bilder/Urlaub.png"
  px_wine "$shell_open" 'C:\Bilder\Urlaub.png'; rc=$?
  px_check "a .png opened through the shell starts the installed viewer with it" test "$rc" = 0
fi
px_done
