#!/usr/bin/env bash
# Runs the wizard's window test on a display of its own.
# PX_SCREEN: the display's size (default 1024x768x24).
# Usage: wizard_gui_test.sh SETUP_EXE WIZARD_GUI_TEST_EXE [GTEST_OPTION...]
set -uo pipefail
if [ -z "${DISPLAY:-}" ] || [ "${PX_XVFB_WRAPPED:-}" != 1 ]; then
  export PX_XVFB_WRAPPED=1
  exec xvfb-run -a -s "-screen 0 ${PX_SCREEN:-1024x768x24}" "$0" "$@"
fi
setup=$1 driver=$2
export PX_GUI=1
# No Mono or Gecko installer, no menu entries written for the host.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winemenubuilder.exe=d"}
prefix=$("$PX_WINE_RUN" --prefix-only) || exit 1
# The display belongs to this run: a server left from another would draw nowhere.
WINEPREFIX=$prefix wineserver -k 2>/dev/null
source "$(dirname "$0")/dialog_font.sh"
source "$(dirname "$0")/keys.sh"
WINEPREFIX=$prefix px_dialog_font
# PX_DPI: the screen's DPI for this run (the prefix keeps 96 otherwise).
source "$(dirname "$0")/screen_dpi.sh"
WINEPREFIX=$prefix px_screen_dpi "${PX_DPI:-96}"
px_key_server
"$PX_WINE_RUN" "$driver" --gtest_brief=1 "${@:3}" "$setup"
rc=$?
[ -n "${PX_DPI:-}" ] && WINEPREFIX=$prefix px_screen_dpi 96
px_key_server_stop
WINEPREFIX=$prefix wineserver -k 2>/dev/null
exit $rc
