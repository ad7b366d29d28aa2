#!/usr/bin/env bash
# The association, ready and finish pages of the real setup (64-bit twin)
# under Xvfb and Wine, installations included, in one prefix of the version:
#  1. a full installation through the wizard in the untouched prefix, and the
#     equivalent "/silent" installation in a second untouched prefix: both
#     must change the same files, settings, links and registry entries;
#  2. every other scenario of the pages (the gtest program's other tests), or
#     those PX_SCENARIOS names (a GoogleTest filter).
# PX_SCREEN: the display's size (default 1024x768x24).
# Usage: wizard_install_test.sh SETUP_EXE TEST_EXE VIEWER_WINDOW_EXE LINK_REPORT_EXE
set -uo pipefail
if [ -z "${DISPLAY:-}" ] || [ "${PX_XVFB_WRAPPED:-}" != 1 ]; then
  export PX_XVFB_WRAPPED=1
  exec xvfb-run -a -s "-screen 0 ${PX_SCREEN:-1024x768x24}" "$0" "$@"
fi
setup=$1 test_exe=$2 viewer=$3 link_report=$4
here=$(cd "$(dirname "$0")" && pwd)
snapshot="/usr/bin/python3 $here/install_snapshot.py"
export PX_GUI=1

# renew GROUP: the path of a prefix of this version that no run has used yet.
renew() {
  local p
  p=$(PX_GROUP=$1 "$PX_WINE_RUN" --prefix-only) || return 1
  if [ -e "$p/.used" ]; then
    WINEPREFIX=$p wineserver -k 2>/dev/null
    rm -rf "$p"
    p=$(PX_GROUP=$1 "$PX_WINE_RUN" --prefix-only) || return 1
  fi
  touch "$p/.used"
  echo "$p"
}
# idle: waits until the prefix's programs have ended and its registry is saved.
idle() {
  timeout 120 wineserver -w || { echo "wineserver did not end; killing it"; wineserver -k; }
}
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
elapsed() { echo "  ($(( $(date +%s) - $1 )) s)"; }

wizard_prefix=$(renew "$PX_GROUP") || exit 1
silent_prefix=$(renew "${PX_GROUP}_silent") || exit 1
source "$here/../lib/wine.sh"
work=$(mktemp -d)
# The second prefix only serves the comparison: it goes at the end (disk space).
trap 'WINEPREFIX=$silent_prefix wineserver -k 2>/dev/null; rm -rf "$silent_prefix" "$work"; px_key_server_stop' EXIT
export PX_SILENT_ARGS=$(winpath "$work/silent_args.txt")
export PX_OPENED_FILE=$(winpath "$work/opened.txt")
# The display belongs to this run: a server left from another would draw nowhere.
wineserver -k 2>/dev/null
source "$here/dialog_font.sh"
source "$here/keys.sh"
px_dialog_font
px_key_server

# The FAQ page goes to a stand-in browser (the test program itself), never to
# the host's. Part of the baseline, so not of the compared changes.
browser="\"$(winpath "$test_exe")\" --browse \"$PX_OPENED_FILE\" \"%1\""
for scheme in http https; do
  wine reg add "HKLM\\Software\\Classes\\$scheme\\shell\\open\\command" /ve /d "$browser" /f \
    </dev/null >/dev/null 2>&1
done
idle

# --- 1. the wizard's installation against "/silent" (PX_SCENARIOS_ONLY=1: not)
t=$(date +%s)
if [ "${PX_SCENARIOS_ONLY:-}" != 1 ]; then
$snapshot take "$wizard_prefix" "$work/wizard_before.json"
px_wine "$test_exe" --gtest_brief=1 --gtest_filter='*FullInstallation*' "$setup" "$viewer"; rc=$?
px_check "a full installation through the wizard$(elapsed "$t")" test "$rc" = 0
idle
$snapshot take "$wizard_prefix" "$work/wizard_after.json"
px_wine "$link_report" "$(winpath "$work/wizard_links.txt")" 'C:\users' 'C:\ProgramData'

if [ -s "$work/silent_args.txt" ]; then
  mapfile -t silent_args < <(tr -d '\r' <"$work/silent_args.txt")
  echo "equivalent command line: ${silent_args[*]}"
  t=$(date +%s)
  (
    export WINEPREFIX=$silent_prefix
    wineserver -k 2>/dev/null
    wine wineboot </dev/null >/dev/null 2>&1
    idle
    $snapshot take "$silent_prefix" "$work/silent_before.json"
    px_wine "$setup" "${silent_args[@]}"; rc=$?
    idle
    $snapshot take "$silent_prefix" "$work/silent_after.json"
    px_wine "$link_report" "$(winpath "$work/silent_links.txt")" 'C:\users' 'C:\ProgramData'
    wineserver -k 2>/dev/null
    exit "$rc"
  ); rc=$?
  px_check "the equivalent silent installation$(elapsed "$t")" test "$rc" = 0
  px_check "wizard and \"/silent\" leave the same files, settings, links and registry entries" \
    $snapshot compare "$wizard_prefix" "$work/wizard_before.json" "$work/wizard_after.json" \
      "$work/wizard_links.txt" "$silent_prefix" "$work/silent_before.json" \
      "$work/silent_after.json" "$work/silent_links.txt"
else
  px_check "the wizard test wrote the equivalent command line" false
fi
fi

# --- 2. the pages' other scenarios, in the prefix the installation left,
# at the screen DPI PX_SCENARIO_DPI names (default: as the prefix has it);
# PX_LONG_PAYLOAD_MB makes the archive of the long installation's scenario
# (made from PX_SHIPPED_PAYLOAD) that large.
t=$(date +%s)
if [ -n "${PX_LONG_PAYLOAD_MB:-}" ]; then
  /usr/bin/python3 "$here/make_long_payload.py" "$PX_SHIPPED_PAYLOAD" "$work/long.zip" "$PX_LONG_PAYLOAD_MB"
  export PX_LONG_PAYLOAD=$(winpath "$work/long.zip")
fi
if [ -n "${PX_SCENARIO_DPI:-}" ]; then
  source "$here/screen_dpi.sh"
  px_screen_dpi "$PX_SCENARIO_DPI"
fi
px_wine "$test_exe" --gtest_brief=1 --gtest_filter="${PX_SCENARIOS:--*FullInstallation*}" "$setup" "$viewer"; rc=$?
px_check "the association, ready and finish pages$(elapsed "$t")" test "$rc" = 0
px_done
