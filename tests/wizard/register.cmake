# The wizard on a display (the script wraps itself in xvfb-run), run on the
# 64-bit twin of the setup.
px_add_wine_test(NAME wizard_gui
                 COMMAND ${PROJECT_SOURCE_DIR}/tests/wizard/wizard_gui_test.sh
                         ${PX_SETUP_EXE} ${PX_TEST_BINARY_DIR}/bin/wizard_gui_test.exe
                 RAW GUI VERSIONS xp 10 GROUP wizard_gui TIMEOUT 600)
# The association, ready and finish pages driven end to end with real
# installations, one Wine session per version; the script also compares a
# wizard installation with the equivalent "/silent" one.
px_add_wine_test(NAME wizard_install
                 COMMAND ${PROJECT_SOURCE_DIR}/tests/wizard/wizard_install_test.sh
                         ${PX_SETUP_EXE} ${PX_TEST_BINARY_DIR}/bin/wizard_install_gui_test.exe
                         ${PX_TEST_BINARY_DIR}/bin/viewer_window.exe
                         ${PX_TEST_BINARY_DIR}/bin/link_report.exe
                 RAW GUI VERSIONS xp 7 10 11 GROUP wizard_install TIMEOUT 900)
