#!/usr/bin/env bash
# DLLs planted beside the shipped setup, in the install folder beside the
# installed px_uninstall.exe, and in %TEMP% (where the uninstaller runs its
# copy) are never loaded, with Windows' "native first" order for each name.
# Each planted DLL is a marker that leaves "<name>.loaded" when loaded.
#
# Wine's own user32 loads some DLLs by name while the process starts, before
# the program's first instruction (Windows' user32 does not, and where it
# would, the images' DependentLoadFlags keep such loads in the system folder;
# Wine does not read that field, the static test imports.load_config checks
# it). A yardstick program with the same imports that does nothing measures
# that set; the setup and the uninstaller may load nothing beyond it.
# The wizard runs too, headless, driven by WIZARD_REMOTE_EXE through its
# pages up to the ready page and left through Cancel: it loads the common
# controls version 6, the theme libraries and the format list's icons. The
# uninstaller's question is shown and answered No (UNINSTALL_REMOTE_EXE)
# before it removes the installation silently.
# Usage: planted_dll_test.sh SETUP_EXE C_COMPILER WIZARD_REMOTE_EXE UNINSTALL_REMOTE_EXE
setup=$1 cc=$2 remote=$3 answers=$4
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib/wine.sh"
work=$(mktemp -d); trap 'wineserver -k 2>/dev/null; rm -rf "$work"' EXIT; cd "$work"

"$cc" -O2 -shared -nostdlib -e _DllMain@12 "$here/marker_dll.c" -o marker.dll -lkernel32 || exit 1
"$cc" -O2 -mwindows "$here/start_probe.c" -o start_probe.exe -lshell32 -lole32 || exit 1

names="version uxtheme dwmapi cryptbase winmm msimg32 comctl32 imm32 msctf oleacc propsys
       userenv profapi sspicli wintrust crypt32 bcrypt netapi32 shfolder riched20 textshaping"
overrides=$(echo $names | tr ' ' ',')
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$overrides=n,b"
plant() { for n in $names; do cp marker.dll "$1/$n.dll"; done; rm -f "$1"/*.loaded; }
loaded() { wineserver -w; (cd "$1" && ls -- *.loaded 2>/dev/null | sed 's/\.dll\.loaded$//' | sort | tr '\n' ' '); }
# "a b" within "c a b"?
within() { local n; for n in $1; do [[ " $2 " == *" $n "* ]] || return 1; done; }

probe=$WINEPREFIX/drive_c/Probe
mkdir -p "$probe"; plant "$probe"; cp start_probe.exe "$probe/"
(cd "$probe" && px_wine 'C:\Probe\start_probe.exe')
at_start=$(loaded "$probe")
echo "loaded by Wine while a process starts: ${at_start:-nothing}"
rm -f "$probe"/*.loaded
(cd "$probe" && px_wine 'C:\Probe\start_probe.exe' load)
px_check "the planting works: a load by name without hardening takes the planted uxtheme.dll" \
  within uxtheme "$(loaded "$probe")"

temp=$(px_unix_path "$(wine cmd /c echo %TEMP% </dev/null 2>/dev/null | tr -d '\r')")
plant "$temp"
box=$WINEPREFIX/drive_c/Download
mkdir -p "$box"; plant "$box"; cp "$setup" "$box/setup.exe"
(cd "$box" && px_wine 'C:\Download\setup.exe' /silent '/folder=C:\PxDll'); rc=$?
px_check "setup.exe /silent beside the planted DLLs: exit code 0" test "$rc" = 0
got=$(loaded "$box")
px_check "... loads none of them beyond Wine's start-up (${got:-none})" within "$got" "$at_start"

rm -f "$box"/*.loaded
(cd "$box" && wine 'C:\Download\setup.exe' </dev/null >/dev/null 2>&1) &
wizard=$!
rc=0
for page in 1 2 3; do px_wine "$remote" next $page >/dev/null || rc=1; done
px_wine "$remote" cancel >/dev/null || rc=1
wait "$wizard"
px_check "the wizard beside the planted DLLs goes to its ready page and leaves through Cancel" test "$rc" = 0
got=$(loaded "$box")
px_check "... loads none of them beyond Wine's start-up (${got:-none})" within "$got" "$at_start"

target=$WINEPREFIX/drive_c/PxDll
plant "$target"
(cd "$target" && wine 'C:\PxDll\px_uninstall.exe' </dev/null >/dev/null 2>&1) &
asking=$!
wine "$answers" box 'entfernen?' </dev/null >/dev/null 2>&1 && wine "$answers" answer no </dev/null >/dev/null 2>&1
wait "$asking"; rc=$?
px_check "px_uninstall.exe asks beside the planted DLLs, answered No: exit code 3" test "$rc" = 3
got=$(loaded "$target")
px_check "... loads none of them beyond Wine's start-up (${got:-none})" within "$got" "$at_start"
rm -f "$target"/*.loaded
(cd "$target" && px_wine 'C:\PxDll\px_uninstall.exe' /silent); rc=$?
px_check "px_uninstall.exe /silent beside the planted DLLs: exit code 0" test "$rc" = 0
got=$(loaded "$target")
px_check "... loads none of them beyond Wine's start-up (${got:-none})" within "$got" "$at_start"
px_check "... nor its copy any of those in %TEMP%" test -z "$(loaded "$temp")"
px_check "... and the program files are gone" test ! -e "$target/pixo32.exe"
px_done
