# The shipped 32-bit programs themselves (not the 64-bit twins): Windows XP in
# a 32-bit prefix, Windows 10 and 11 in 64-bit prefixes (WOW64). Skipped where
# 32-bit Wine cannot run.
px_add_wine_test(NAME release_silent
                 COMMAND ${PROJECT_SOURCE_DIR}/tests/release_check/release_silent_test.sh
                         $<TARGET_FILE:setup> ${PX_PAYLOAD_ZIP} ${PX_TEST_BINARY_DIR}/bin/shell_open.exe
                 RAW SHIPPED VERSIONS xp 10 11 GROUP release_silent TIMEOUT 900)
# The wizard of the shipped setup through all five pages, installing (and
# compared with the same "/silent" installation); the welcome page, the
# release notes and the format list as the 32-bit program shows them. On
# Windows XP, a 32-bit prefix, the 32-bit builds of the drivers run.
set(px_wizard_drivers_10 ${PX_TEST_BINARY_DIR}/bin)
set(px_wizard_drivers_xp ${PX_TEST32_BINARY_DIR}/bin)
foreach(v 10 xp)
  set(bin ${px_wizard_drivers_${v}})
  px_add_wine_test(NAME release_wizard
                   COMMAND ${PROJECT_SOURCE_DIR}/tests/release_check/release_wizard_test.sh
                           $<TARGET_FILE:setup> ${bin}/wizard_gui_test.exe
                           ${bin}/wizard_install_gui_test.exe ${bin}/viewer_window.exe
                           ${bin}/link_report.exe ${PX_PAYLOAD_ZIP}
                   RAW GUI SHIPPED VERSIONS ${v} GROUP release_wizard TIMEOUT 900)
endforeach()
# A per-user installation ("/currentuser") of the shipped setup on Windows 7,
# 10 and 11: nothing in HKLM, the shell opens a picture with it, the manifest's
# user installer, and its uninstaller leaves the user's registry and profile;
# without administrator rights the setup installs per user by itself.
px_add_wine_test(NAME release_peruser
                 COMMAND ${PROJECT_SOURCE_DIR}/tests/release_check/release_peruser_test.sh
                         $<TARGET_FILE:setup> ${PX_TEST_BINARY_DIR}/bin/shell_open.exe
                         ${PX_TEST_BINARY_DIR}/bin/run_unelevated.exe ${PX_MANIFEST_FOLDER} ${PX_WINGET_SCHEMA_DIR}
                 RAW SHIPPED VERSIONS 7 10 11 GROUP release_peruser TIMEOUT 900)
