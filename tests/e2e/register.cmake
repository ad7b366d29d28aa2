# End to end through the setup's 64-bit twin under Wine.
px_add_wine_test(NAME silent_install COMMAND ${PROJECT_SOURCE_DIR}/tests/e2e/silent_install_test.sh
                 ${PX_SETUP_EXE} ${PX_TEST_PAYLOAD_DIR}/payload.zip RAW VERSIONS 10 GROUP silent_install)
px_add_wine_test(NAME registration_e2e COMMAND ${PROJECT_SOURCE_DIR}/tests/e2e/registration_test.sh
                 ${PX_SETUP_EXE} ${PX_TEST_BINARY_DIR}/bin/shell_open.exe
                 RAW VERSIONS xp vista 7 8 81 10 11 GROUP registration_e2e)
px_add_wine_test(NAME install_folder COMMAND ${PROJECT_SOURCE_DIR}/tests/e2e/install_folder_test.sh
                 ${PX_SETUP_EXE} ${PX_TEST_BINARY_DIR}/bin/shell_open.exe ${PX_TEST_PAYLOAD_DIR}/payload.zip
                 RAW VERSIONS 10 GROUP install_folder)
px_add_wine_test(NAME settings_update COMMAND ${PROJECT_SOURCE_DIR}/tests/e2e/settings_update_test.sh
                 ${PX_SETUP_EXE} RAW VERSIONS 10 GROUP settings_update)
# Rollout: /log= on success, no downgrade (exit 3; the wizard asks), a viewer on another
# desktop (exit 2), a move to another folder, /ini= on an update.
px_add_wine_test(NAME fleet COMMAND ${PROJECT_SOURCE_DIR}/tests/e2e/fleet_test.sh
                 $<TARGET_FILE:setup> ${PX_TEST_BINARY_DIR}/bin/viewer_window.exe
                 ${PX_TEST_BINARY_DIR}/bin/uninstall_remote.exe
                 RAW SHIPPED VERSIONS 10 GROUP fleet TIMEOUT 600)
