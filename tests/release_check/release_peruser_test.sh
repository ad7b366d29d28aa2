#!/usr/bin/env bash
# A per-user installation of the shipped 32-bit setup ("/currentuser"):
#  1. "/silent /currentuser" with links and the picture formats installs into
#     %LOCALAPPDATA%\Programs\Pixolum, and HKEY_LOCAL_MACHINE is the same
#     before and after, key for key and value for value;
#  2. the uninstall entry is the user's, and it is the one the package
#     manager's user-scope installer names;
#  3. a .png opened through the shell starts the installed viewer;
#  4. a second run finds the installation and updates it in place;
#  5. its "px_uninstall.exe /silent /removesettings" leaves the registry
#     (HKCU too) and drive C: (the profile too) as before the setup;
#  6. started without administrator rights (run_unelevated), the setup alone
#     installs per user, and the uninstaller, started so too, removes it all;
#  7. a per-user run cut off during its registration is rolled back by the
#     next per-user run.
# Usage: release_peruser_test.sh SETUP_EXE SHELL_OPEN_EXE RUN_UNELEVATED_EXE MANIFEST_FOLDER SCHEMA_FOLDER
setup=$1 shell_open=$2 run_unelevated=$3 manifests=$4 schemas=$5
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib/wine.sh"
work=$(mktemp -d); trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT; cd "$work"
snapshot() { wineserver -w; /usr/bin/python3 "$here/../uninstall/snapshot.py" take "$WINEPREFIX" "$work/$1"; }
compare() { /usr/bin/python3 "$here/../uninstall/snapshot.py" compare "$work/$1" "$work/$2" "${@:3}"; }

# The picture, and the console settings the opener leaves, are the test's.
mkdir -p "$WINEPREFIX/drive_c/Bilder"
/usr/bin/python3 "$here/../e2e/make_png.py" "$WINEPREFIX/drive_c/Bilder/Urlaub.png"
wine cmd /c exit </dev/null >/dev/null 2>&1
local_appdata=$(wine cmd /c echo %LOCALAPPDATA% </dev/null 2>/dev/null | tr -d '\r')
folder="$local_appdata\\Programs\\Pixolum\\"
target=$(px_unix_path "$folder")
snapshot before

# --- 1. installed for the current user alone
# Traced (Wine enforces no rights, but its server protocol shows every
# security descriptor a program sets): the per-user folders keep the rights
# they inherit from the profile, none is given administrators-only rights.
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
WINEDEBUG=+server wine "$setup" /silent /currentuser /group=1 /desktop=1 /assoc=1 </dev/null >server.log 2>&1; rc=$?
px_check "/currentuser: exit code 0" test "$rc" = 0
px_check "... and no rights set on any file or folder" test "$(grep -c 'set_security_object(' server.log)" = 0
rm -f server.log
snapshot installed
px_check "the viewer and its uninstaller in $folder" test -f "$target/pixo32.exe" -a -f "$target/px_uninstall.exe"
px_check "HKEY_LOCAL_MACHINE the same before and after" compare before installed --machine-only
px_check "links in the user's Start menu and desktop" \
  test -n "$(find "$WINEPREFIX/drive_c/users" -path '*Start Menu/Programs/Pixolum/*.lnk' -not -path '*/Public/*')" \
       -a -n "$(find "$WINEPREFIX/drive_c/users" -name 'Pixolum.lnk' -path '*Desktop*' -not -path '*/Public/*')"

# --- 2. the user's uninstall entry, as the manifest's user installer has it
path='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pixolum'
{
  echo "key=Pixolum"
  for v in DisplayName Publisher DisplayVersion InstallLocation QuietUninstallString; do
    # Every one of these values is there; a `reg` run that Wine did not
    # start under load answers nothing, so an empty answer is asked again.
    value=
    for _ in 1 2 3; do
      value=$(px_reg_value "$path" "$v")
      [ -n "$value" ] && break
      sleep 1
    done
    echo "$v=$value"
  done
} >values.txt
px_check "the user's uninstall entry names $folder" grep -qxF "InstallLocation=$folder" values.txt
px_check "manifest with both installers, the user's entry as its user installer says" \
  /usr/bin/python3 "$here/../publish/check_manifest.py" "$manifests" "$schemas" "$setup" values.txt

# --- 3. the shell opens a picture with the installed viewer
# Windows merges HKCU\Software\Classes into HKEY_CLASSES_ROOT; Wine 8 does
# not (its HKCR is the machine's classes alone, Wine bug 14771). The merge is
# simulated: the keys the installation wrote for .png, copied as they are
# into the machine's classes (where nothing of them was), and removed again.
classes='HKLM\Software\Classes'
png_class=$(px_reg_value 'HKCU\Software\Classes\.png' /ve)
px_check "the user's .png names the viewer's class ($png_class), the machine's classes have neither" \
  test "${png_class#Pixolum.}" != "$png_class" -a -z "$(px_reg_value "$classes\\.png" /ve)" \
       -a -z "$(px_reg_value "$classes\\$png_class" /ve)"
for key in .png "$png_class"; do
  wine reg copy "HKCU\\Software\\Classes\\$key" "$classes\\$key" /s /f </dev/null >/dev/null 2>&1
done
px_wine "$shell_open" 'C:\Bilder\Urlaub.png'; rc=$?
px_check "a .png opened through the shell starts the installed viewer" test "$rc" = 0
wineserver -w
for key in .png "$png_class"; do wine reg delete "$classes\\$key" /f </dev/null >/dev/null 2>&1; done
wineserver -w

# --- 4. found again: an update in place
px_wine "$setup" /silent /currentuser; rc=$?
wineserver -w
px_check "second /currentuser run: exit code 0, same folder" \
  test "$rc" = 0 -a "$(px_reg_value "$path" InstallLocation)" = "$folder"
snapshot updated
px_check "still nothing in HKEY_LOCAL_MACHINE" compare before updated --machine-only

# --- 5. removed completely
px_wine "${folder}px_uninstall.exe" /silent /removesettings; rc=$?
# The uninstaller's copy in the temporary folder finishes on its own.
for _ in $(seq 1 100); do [ -e "$target" ] || break; sleep 0.2; done
px_check "px_uninstall.exe /silent /removesettings: exit code 0" test "$rc" = 0
snapshot after
px_check "registry (HKLM and HKCU) and drive C: as before the setup" compare before after
# --- 6. without administrator rights the setup chooses the per-user
# installation by itself, and its uninstaller, run the same way, removes it.
px_wine "$run_unelevated" "$setup" /silent /group=1; rc=$?
snapshot unelevated
px_check "without administrator rights and without /currentuser: exit code 0, the user's entry names $folder" \
  test "$rc" = 0 -a "$(px_reg_value "$path" InstallLocation)" = "$folder"
px_check "... and HKEY_LOCAL_MACHINE the same" compare before unelevated --machine-only
px_wine "$run_unelevated" "${folder}px_uninstall.exe" /silent /removesettings; rc=$?
for _ in $(seq 1 100); do [ -e "$target" ] || break; sleep 0.2; done
snapshot removed
px_check "its uninstaller without administrator rights: exit code 0, all as before" \
  test "$rc" = 0 -a -n "$(compare before removed | grep -x 'snapshots: 0 differences, 0 of them allowed')"
# --- 7. a per-user run cut off (every process of the prefix killed as soon as
# its journal shows the registration) is rolled back by the next per-user run.
journal=$(px_unix_path "$local_appdata\\Pixolum Setup\\px_transaction.jnl")
cut=$here/../transaction/cut.py
for _ in 1 2 3 4; do
  wineserver -w
  ( exec wine "$setup" /silent /currentuser /group=1 /assoc=1 </dev/null >/dev/null 2>&1 ) & pid=$!
  result=$(/usr/bin/python3 "$cut" cut "$WINEPREFIX" "$journal" "$pid" registration 0)
  wait "$pid" 2>/dev/null; wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  where=$(/usr/bin/python3 "$cut" where "$journal")
  [ "$result" = cut ] && [ "$where" = registration ] && break
  # Finished before the cut: removed again for the next try.
  [ -e "$target/px_uninstall.exe" ] && wine "${folder}px_uninstall.exe" /silent /removesettings </dev/null >/dev/null 2>&1
  for _ in $(seq 1 100); do [ -e "$target" ] || break; sleep 0.2; done
done
px_check "a per-user run cut during its registration leaves its journal in the user's folder ($result, $where)" \
  test "$result" = cut -a "$where" = registration
px_wine "$setup" /silent /currentuser; rc=$?
px_check "the next per-user run rolls it back and installs: exit code 0, no journal left" \
  test "$rc" = 0 -a ! -e "$journal"
px_wine "${folder}px_uninstall.exe" /silent /removesettings; rc=$?
for _ in $(seq 1 100); do [ -e "$target" ] || break; sleep 0.2; done
snapshot recovered
px_check "... and after its uninstaller all as before" \
  test "$rc" = 0 -a -n "$(compare before recovered | grep -x 'snapshots: 0 differences, 0 of them allowed')"
[ "$px_failures" = 0 ] || { cat Pixolum_Install.log 2>/dev/null | iconv -f LATIN1 -t UTF-8; }
px_done
