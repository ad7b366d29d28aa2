px_add_gtest(app_tests GROUP app)
px_add_wine_test(NAME setup_start COMMAND ${PROJECT_SOURCE_DIR}/tests/app/setup_start_test.sh
                 ${PX_SETUP_EXE} ${PX_TEST_BINARY_DIR}/bin/viewer_window.exe
                 RAW VERSIONS xp 10 GROUP setup_start)
