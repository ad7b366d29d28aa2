# Setup, snapshots and the uninstaller as its callers run it.
px_add_wine_test(NAME uninstall_e2e COMMAND ${PROJECT_SOURCE_DIR}/tests/uninstall/uninstall_e2e_test.sh
                 ${PX_SETUP_EXE} ${PX_TEST_BINARY_DIR}/bin/uninstall_remote.exe
                 ${PX_TEST_BINARY_DIR}/bin/viewer_window.exe
                 RAW VERSIONS xp 7 10 11 GROUP uninstall_e2e TIMEOUT 600)
# The windows, from the Start-menu link, under Xvfb (the script wraps itself).
px_add_wine_test(NAME uninstall_gui COMMAND ${PROJECT_SOURCE_DIR}/tests/uninstall/uninstall_gui_test.sh
                 ${PX_SETUP_EXE} ${PX_TEST_BINARY_DIR}/bin/uninstall_remote.exe
                 ${PX_TEST_BINARY_DIR}/bin/viewer_window.exe
                 RAW GUI VERSIONS xp 10 GROUP uninstall_gui TIMEOUT 600)
