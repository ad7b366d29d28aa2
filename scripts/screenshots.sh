#!/usr/bin/env bash
# Pictures of every wizard page, taken under Xvfb, for a look by eye.
# Usage: scripts/screenshots.sh [BUILD_DIR] [OUT_DIR]
#   BUILD_DIR  the build folder (default: build); it runs the 64-bit twin of
#              the setup from its test build, as the tests do
#   OUT_DIR    where the PNG files go (default: /tmp/pixolum-screenshots);
#              must lie outside the source tree
set -uo pipefail
if [ "${PX_XVFB_WRAPPED:-}" != 1 ]; then
  export PX_XVFB_WRAPPED=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$src/build}" && pwd) || exit 2
out=${2:-/tmp/pixolum-screenshots}
mkdir -p "$out" && out=$(cd "$out" && pwd)
case "$out/" in
  "$src"/*) echo "screenshots: choose a folder outside the source tree" >&2; exit 2 ;;
esac
setup=$build/test-build/app/setup.exe
remote=$build/test-build/bin/wizard_remote.exe
for f in "$setup" "$remote"; do
  [ -f "$f" ] || { echo "screenshots: $f is missing; build first" >&2; exit 2; }
done

export PX_WINE_ROOT=$build/wine PX_GROUP=screenshots PX_GUI=1 PX_WINVER=${PX_WINVER:-10}
prefix=$("$src/cmake/wine-run.sh" --prefix-only) || exit 1
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wineserver -k 2>/dev/null
wine wineboot </dev/null >/dev/null 2>&1
# Without a window manager Wine draws the frame and caption itself; Windows
# has "Microsoft Sans Serif", Wine lacks it: its Tahoma is the nearest.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
  /v 'Microsoft Sans Serif' /d Tahoma /f </dev/null >/dev/null 2>&1
wineserver -w

wine "$setup" </dev/null >/dev/null 2>&1 &
status=0
step() {  # step COMMAND PAGE NAME
  if wine "$remote" "$1" "$2" </dev/null >/dev/null 2>&1; then
    import -window root "$out/$3.png" && echo "$out/$3.png"
  else
    echo "screenshots: the wizard did not reach page $2" >&2
    status=1
  fi
}
step wait 0 page0-welcome
step next 1 page1-whatsnew
step next 2 page2-associations
step next 3 page3-ready
step next 4 page4-finished
wine "$remote" cancel </dev/null >/dev/null 2>&1
wineserver -k 2>/dev/null
wait
exit $status
