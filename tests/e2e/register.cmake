# End to end through the setup's 64-bit twin under Wine.
px_add_wine_test(NAME silent_install COMMAND ${PROJECT_SOURCE_DIR}/tests/e2e/silent_install_test.sh
                 ${PX_SETUP_EXE} ${PX_TEST_PAYLOAD_DIR}/payload.zip RAW VERSIONS 10 GROUP silent_install)
px_add_wine_test(NAME registration_e2e COMMAND ${PROJECT_SOURCE_DIR}/tests/e2e/registration_test.sh
                 ${PX_SETUP_EXE} ${PX_TEST_BINARY_DIR}/bin/shell_open.exe
                 RAW VERSIONS xp vista 7 8 81 10 11 GROUP registration_e2e)
