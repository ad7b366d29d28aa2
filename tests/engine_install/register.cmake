# A full disk: a small tmpfs as a drive of the prefix (needs root to mount).
px_add_wine_test(NAME engine_disk_full
                 COMMAND ${CMAKE_CURRENT_LIST_DIR}/disk_full_test.sh
                         ${PX_TEST_BINARY_DIR}/bin/engine_extraction_tests.exe
                 RAW VERSIONS 10 GROUP engine_disk_full)
set_tests_properties(engine_disk_full.win10 PROPERTIES SKIP_RETURN_CODE 77)
