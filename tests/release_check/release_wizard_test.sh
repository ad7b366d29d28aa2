#!/usr/bin/env bash
# The shipped 32-bit setup's wizard on a display (the drivers are the wizard
# tests' programs): the welcome and what's-new pages, then a full installation
# through all five pages against the same "/silent" one, and the format list.
# Usage: release_wizard_test.sh SETUP_EXE WIZARD_GUI_TEST_EXE WIZARD_INSTALL_TEST_EXE
#                               VIEWER_WINDOW_EXE LINK_REPORT_EXE
set -uo pipefail
if [ -z "${DISPLAY:-}" ] || [ "${PX_XVFB_WRAPPED:-}" != 1 ]; then
  export PX_XVFB_WRAPPED=1
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
setup=$1 pages_test=$2 install_test=$3 viewer=$4 link_report=$5
wizard=$(cd "$(dirname "$0")/../wizard" && pwd)
"$wizard/wizard_gui_test.sh" "$setup" "$pages_test" \
  --gtest_filter='*OpensOnTheWelcomePage*:*WhatsNewPage*'; pages=$?
PX_SCENARIOS='*AssociationListLooks*' \
  "$wizard/wizard_install_test.sh" "$setup" "$install_test" "$viewer" "$link_report"; install=$?
echo "welcome and release notes: exit $pages; installation and format list: exit $install"
[ "$pages" = 0 ] && [ "$install" = 0 ]
