#!/usr/bin/env bash
# Pictures of every wizard page, taken under Xvfb, for a look by eye.
# Usage: scripts/screenshots.sh [--dpi=N] [BUILD_DIR] [OUT_DIR]
#   --dpi=N    the screen's DPI (Wine's LogPixels; default 96): 120, 144 and
#              192 show the wizard as on a screen scaled to 125, 150 and 200 %
#   BUILD_DIR  the build folder (default: build); it runs the 64-bit twin of
#              the setup from its test build, as the tests do
#   OUT_DIR    where the PNG files go (default: /tmp/pixolum-screenshots);
#              must lie outside the source tree
set -uo pipefail
dpi=96
case "${1:-}" in
  --dpi=*) dpi=${1#--dpi=}; shift ;;
esac
case "$dpi" in
  ''|*[!0-9]*) echo "screenshots: --dpi takes a number" >&2; exit 2 ;;
esac
if [ "${PX_XVFB_WRAPPED:-}" != 1 ]; then
  export PX_XVFB_WRAPPED=1
  # A screen large enough for the wizard at twice the usual DPI.
  screen=1024x768x24
  [ "$dpi" -gt 96 ] && screen=2048x1536x24
  exec xvfb-run -a -s "-screen 0 $screen" "$0" --dpi="$dpi" "$@"
fi
src=$(cd "$(dirname "$0")/.." && pwd)
PATH="$src/scripts/wine-bin:$PATH"
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
# Without a window manager Wine draws the frame and caption itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f </dev/null >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
source "$src/tests/wizard/dialog_font.sh"
px_dialog_font
source "$src/tests/wizard/screen_dpi.sh"
px_screen_dpi "$dpi"

# The FAQ page must never reach the host's browser: no browser for web pages.
for scheme in http https; do
  wine reg add "HKLM\\Software\\Classes\\$scheme\\shell\\open\\command" /ve /d 'C:\windows\system32\cmd.exe /c exit' /f \
    </dev/null >/dev/null 2>&1
done
wineserver -w

wine "$setup" </dev/null >/dev/null 2>&1 &
status=0
remote() { wine "$remote" "$@" </dev/null >/dev/null 2>&1; }
shot() {
  if import -window root "$out/$1.png" && [ -s "$out/$1.png" ]; then
    echo "$out/$1.png"
  else
    echo "screenshots: no picture for $1" >&2
    status=1
  fi
}
step() {  # step NAME REMOTE-ARGS...: moves the wizard, then takes the picture
  local name=$1; shift
  if remote "$@"; then
    shot "$name"
  else
    echo "screenshots: wizard_remote $* failed before $name" >&2
    status=1
  fi
}
step page0-welcome wait 0
step page1-whatsnew next 1
step page2-associations-greyed next 2
# Registry switch on and the picture formats chosen: the enabled list.
remote click 3311 && step page2-associations-enabled click 1091
step page3-ready next 3
# The association question comes while the installation runs: the status
# line shows and the buttons are disabled behind it.
step page3-installing nextbox
step page4-finished answer 6 4
remote finish || { echo "screenshots: the wizard did not finish" >&2; status=1; }
wineserver -k 2>/dev/null
wait
exit $status
