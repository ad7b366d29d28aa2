#!/usr/bin/env bash
# Builds the setup and runs it under Wine: the wizard when a display is
# there, otherwise a silent installation into a demonstration prefix.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
PATH="$here/scripts/wine-bin:$PATH"
build=${BUILD_DIR:-$here/build}
BUILD_DIR=$build bash "$here/scripts/build.sh"
setup=$build/app/setup.exe view=/reg:32
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  # 32-bit Wine could not be set up here: run the setup's 64-bit twin.
  setup=$build/test-build/app/setup.exe view=/reg:64
  echo "run: 32-bit programs cannot run here; using the 64-bit build of the same sources"
fi
export WINEPREFIX=${WINEPREFIX:-$build/demo-prefix}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ ! -d "$WINEPREFIX" ]; then
  wine wineboot -i </dev/null >/dev/null 2>&1
  wineserver -w
  # The desktop links belong in the prefix, not in the home folder Wine links it to.
  for l in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$l" ]; then rm -f "$l"; mkdir -p "$l"; fi
  done
fi
if [ -n "${DISPLAY:-}" ]; then
  echo "run: starting the wizard (prefix $WINEPREFIX)"
  wine "$setup" </dev/null >/dev/null 2>&1
  exit 0
fi
args=(/silent /group=1 /desktop=1 /thumbs=1 /assoc=1)
echo "run: no display; silent installation: setup.exe ${args[*]} (prefix $WINEPREFIX)"
cd "$build"
set +e
wine "$setup" "${args[@]}" </dev/null >/dev/null 2>&1
rc=$?
set -e
wineserver -w
echo "run: exit code $rc"
[ -f Pixolum_Install.log ] && { echo "run: install log:"; iconv -f LATIN1 -t UTF-8 Pixolum_Install.log; }
# The setup's registry view: a 32-bit setup's entry lies in Wow6432Node.
target=$(wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Pixolum' /v InstallLocation $view 2>/dev/null | tr -d '\r' | awk '/InstallLocation/ {sub(/.*REG_SZ +/, ""); print}')
if [ -n "$target" ]; then
  unix=$(winepath -u "$target" 2>/dev/null)
  echo "run: installed into $target ($unix):"
  (cd "$unix" && find . -type f | sort | sed 's/^\.\//  /')
  echo "run: uninstall entry:"
  wine reg query 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Pixolum' $view 2>/dev/null | tr -d '\r' | sed -n 's/^ \+/  /p'
  echo "run: links:"
  find "$WINEPREFIX/drive_c/users" -name '*.lnk' | sort | sed "s|$WINEPREFIX/||; s/^/  /"
fi
exit $rc
