#!/usr/bin/env bash
# The shipped 32-bit setup's wizard on a display (the drivers are the wizard
# tests' programs): the welcome and what's-new pages, then a full installation
# through all five pages against the same "/silent" one, and the format list;
# every page at 144 and 192 DPI, and a long installation (a payload of 256 MB)
# at 192 DPI.
# Usage: release_wizard_test.sh SETUP_EXE WIZARD_GUI_TEST_EXE WIZARD_INSTALL_TEST_EXE
#                               VIEWER_WINDOW_EXE LINK_REPORT_EXE PAYLOAD_ZIP
set -uo pipefail
if [ -z "${DISPLAY:-}" ] || [ "${PX_XVFB_WRAPPED:-}" != 1 ]; then
  export PX_XVFB_WRAPPED=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
setup=$1 pages_test=$2 install_test=$3 viewer=$4 link_report=$5 payload=$6
wizard=$(cd "$(dirname "$0")/../wizard" && pwd)
"$wizard/wizard_gui_test.sh" "$setup" "$pages_test" \
  --gtest_filter='*OpensOnTheWelcomePage*:*WhatsNewPage*:*TabIntoTheFormatList*:*PagesFitTheScreensDpi*:*TwiceTheDpi*'; pages=$?
PX_SCENARIOS='*AssociationListLooks*' \
  "$wizard/wizard_install_test.sh" "$setup" "$install_test" "$viewer" "$link_report"; install=$?
# Then at 144 and 192 DPI (after the comparison, whose prefix must not
# have seen another display), on a display of their own with room for the wizard.
big="PX_XVFB_WRAPPED= PX_SCREEN=2048x1536x24"
for dpi in 144 192; do
  env $big PX_DPI=$dpi "$wizard/wizard_gui_test.sh" "$setup" "$pages_test" \
    --gtest_filter='*PagesFitTheScreensDpi*' || pages=1
done
env $big PX_SCENARIOS_ONLY=1 PX_SCENARIOS='*ALongInstallation*' PX_SCENARIO_DPI=192 \
  PX_LONG_PAYLOAD_MB=256 PX_SHIPPED_PAYLOAD="$payload" \
  "$wizard/wizard_install_test.sh" "$setup" "$install_test" "$viewer" "$link_report" || install=1
echo "pages at 96, 144 and 192 DPI: exit $pages; installations and format list: exit $install"
[ "$pages" = 0 ] && [ "$install" = 0 ]
