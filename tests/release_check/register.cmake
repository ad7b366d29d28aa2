# The shipped 32-bit programs themselves (not the 64-bit twins): Windows XP in
# a 32-bit prefix, Windows 10 and 11 in 64-bit prefixes (WOW64). Skipped where
# 32-bit Wine cannot run.
px_add_wine_test(NAME release_silent
                 COMMAND ${PROJECT_SOURCE_DIR}/tests/release_check/release_silent_test.sh
                         $<TARGET_FILE:setup> ${PX_PAYLOAD_ZIP} ${PX_TEST_BINARY_DIR}/bin/shell_open.exe
                 RAW SHIPPED VERSIONS xp 10 11 GROUP release_silent TIMEOUT 900)
# The wizard of the shipped setup through all five pages, installing (and
# compared with the same "/silent" installation); the welcome page, the
# release notes and the format list as the 32-bit program shows them.
px_add_wine_test(NAME release_wizard
                 COMMAND ${PROJECT_SOURCE_DIR}/tests/release_check/release_wizard_test.sh
                         $<TARGET_FILE:setup> ${PX_TEST_BINARY_DIR}/bin/wizard_gui_test.exe
                         ${PX_TEST_BINARY_DIR}/bin/wizard_install_gui_test.exe
                         ${PX_TEST_BINARY_DIR}/bin/viewer_window.exe
                         ${PX_TEST_BINARY_DIR}/bin/link_report.exe
                 RAW GUI SHIPPED VERSIONS 10 GROUP release_wizard TIMEOUT 900)
# The same on Windows XP, in a 32-bit prefix, driven by the 32-bit builds of
# those programs.
px_add_wine_test(NAME release_wizard
                 COMMAND ${PROJECT_SOURCE_DIR}/tests/release_check/release_wizard_test.sh
                         $<TARGET_FILE:setup> ${PX_TEST32_BINARY_DIR}/bin/wizard_gui_test.exe
                         ${PX_TEST32_BINARY_DIR}/bin/wizard_install_gui_test.exe
                         ${PX_TEST32_BINARY_DIR}/bin/viewer_window.exe
                         ${PX_TEST32_BINARY_DIR}/bin/link_report.exe
                 RAW GUI SHIPPED VERSIONS xp GROUP release_wizard TIMEOUT 900)
