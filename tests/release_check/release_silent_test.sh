#!/usr/bin/env bash
# The shipped 32-bit setup and the programs it installs, as users run them:
# on Windows XP a 32-bit prefix, on Windows 10 and 11 a 64-bit one, where the
# setup is a 32-bit process under WOW64 (Program Files (x86), the registry's
# 32-bit view). In one prefix:
#  1. a folder that cannot be created: exit code 1 and the log entry;
#  2. "/silent" with links and the picture formats into the default folder:
#     files byte for byte, settings, registry and links in the 32-bit view;
#     on Windows 10 a .png opened through the shell starts the installed
#     32-bit viewer;
#  3. again with all formats, all users and "/assocallusers";
#  4. the installed viewer running: exit code 2 and the log entry;
#  5. the installed "px_uninstall.exe /silent /removesettings": exit code 0,
#     and the registry and drive C: as before the setup, the associations of
#     other programs it replaced given back.
# Usage: release_silent_test.sh SETUP_EXE PAYLOAD_ZIP SHELL_OPEN_EXE
setup=$1 archive=$2 shell_open=$3
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib/wine.sh"
work=$(mktemp -d); trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT; cd "$work"
e2e=$here/../e2e
latin1() { printf '%s' "$1" | iconv -f UTF-8 -t LATIN1; }
snapshot() { wineserver -w; /usr/bin/python3 "$here/../uninstall/snapshot.py" take "$WINEPREFIX" "$work/$1"; }
elapsed() { echo " ($(( $(date +%s) - $1 )) s)"; }

wow64=(); [ "$PX_WINEARCH" = win64 ] && wow64=(--wow64)
# Where a 32-bit program installs: "Program Files (x86)" under WOW64.
pf=$( [ "$PX_WINEARCH" = win64 ] && echo 'C:\Program Files (x86)' || echo 'C:\Program Files')
folder="$pf\\Pixolum\\"
target=$(px_unix_path "$folder")
# Windows has this key from Vista on, in both registry views; a fresh Wine
# prefix lacks it.
if [ "$PX_WINVER" != xp ]; then
  for view in 32 64; do
    wine reg add 'HKLM\Software\RegisteredApplications' /f /reg:$view </dev/null >/dev/null 2>&1
  done
fi
# The picture the shell opens, and the console settings its opener (a
# console program) leaves, belong to the test, not to the setup.
mkdir -p "$WINEPREFIX/drive_c/Bilder"
/usr/bin/python3 "$e2e/make_png.py" "$WINEPREFIX/drive_c/Bilder/Urlaub.png"
wine cmd /c exit </dev/null >/dev/null 2>&1
# What other programs own before the setup: the uninstaller must give it back.
{
  wine reg add 'HKLM\Software\Classes\.bmp' /ve /d Paint.Picture /f
  wine reg add 'HKLM\Software\Classes\.png' /ve /d pngfile /f
  wine reg add 'HKLM\Software\Classes\.jpg' /ve /d jpegfile /f
  wine reg add 'HKLM\Software\Classes\.tif' /ve /d TIFImage.Document /f
  file_exts='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\FileExts'
  if [ "$PX_WINVER" = xp ]; then
    wine reg add "$file_exts\\.bmp" /v ProgID /d Paint.Picture /f
  else
    wine reg add "$file_exts\\.bmp\\UserChoice" /v Progid /d Paint.Picture /f
    wine reg add "$file_exts\\.bmp\\UserChoice" /v Hash /d 'q1w2e3r4t5=' /f
  fi
  [ "$PX_WINVER" = 10 ] &&
    wine reg add 'HKCU\Software\Classes\AppX43hnxtbyyps62jhe9sqpdzxn1790zetc' /v NoOpenWith /d '' /f
} </dev/null >/dev/null 2>&1
snapshot before

# --- 1. a failed installation
t=$(date +%s)
px_wine "$setup" /silent '/folder=Q:\Pixolum'; rc=$?
px_check "a folder that cannot be created: exit code 1$(elapsed "$t")" test "$rc" = 1
px_check "... and the log says so" grep -q "$(latin1 'Kann Zielverzeichnis nicht erstellen!')" Pixolum_Install.log
rm -f Pixolum_Install.log

# --- 2. links and the picture formats, default folder
t=$(date +%s)
px_wine "$setup" /silent /group=1 /desktop=1 /thumbs=1 /assoc=1; rc=$?
wineserver -w
px_check "installation: exit code 0$(elapsed "$t")" test "$rc" = 0
px_check "installed into $folder, every entry byte for byte with its date" \
  /usr/bin/python3 "$e2e/compare_tree.py" "$archive" "$target"
user_dir=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v Public | head -n1)
px_check "settings file in %APPDATA%\\Pixolum as UTF-16" \
  test "$(head -c2 "${user_dir}AppData/Roaming/Pixolum/pixo32.ini" | od -An -tx1 | tr -d ' ')" = fffe
px_check "registry and links (/assoc=1, current user)" \
  /usr/bin/python3 "$e2e/check_registration.py" "${wow64[@]}" "$WINEPREFIX" "$PX_WINVER" "$folder" 1 0 0

if [ "$PX_WINVER" = 10 ]; then
  t=$(date +%s)
  px_wine "$shell_open" 'C:\Bilder\Urlaub.png'; rc=$?
  px_check "a .png opened through the shell starts the installed 32-bit viewer with it$(elapsed "$t")" \
    test "$rc" = 0
  wineserver -w
fi

# --- 3. all formats, all users
t=$(date +%s)
px_wine "$setup" /silent /group=1 /desktop=1 /thumbs=1 /allusers=1 /assoc=2 /assocallusers; rc=$?
wineserver -w
px_check "second installation: exit code 0$(elapsed "$t")" test "$rc" = 0
px_check "registry and links (/assoc=2, all users)" \
  /usr/bin/python3 "$e2e/check_registration.py" "${wow64[@]}" "$WINEPREFIX" "$PX_WINVER" "$folder" 2 1 1

# --- 4. the viewer running: the setup's own check tells when its window is up
wine "${folder}pixo32.exe" </dev/null >/dev/null 2>&1 &
rc=0
for _ in $(seq 1 20); do
  rm -f Pixolum_Install.log
  px_wine "$setup" /silent '/folder=Q:\Pixolum'; rc=$?
  [ "$rc" = 1 ] || break
  sleep 1
done
px_check "the installed viewer running: exit code 2" test "$rc" = 2
px_check "... and the log warns of it" grep -q "$(latin1 'Warnung: Pixolum läuft!')" Pixolum_Install.log
wineserver -k; wait
rm -f Pixolum_Install.log

# --- 5. the installed uninstaller
t=$(date +%s)
px_wine "${folder}px_uninstall.exe" /silent /removesettings; rc=$?
px_check "uninstallation: exit code 0$(elapsed "$t")" test "$rc" = 0
px_check "the install folder is gone" test ! -e "$target"
snapshot after
px_check "registry and drive C: as before the setup" \
  /usr/bin/python3 "$here/../uninstall/snapshot.py" compare "$work/before" "$work/after"
px_done
