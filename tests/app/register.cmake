px_add_wine_test(NAME setup_start COMMAND ${PROJECT_SOURCE_DIR}/tests/app/setup_start_test.sh
                 ${PX_SETUP_EXE} ${PX_TEST_BINARY_DIR}/bin/viewer_window.exe
                 RAW VERSIONS xp 10 GROUP setup_start)
# /log=, /? and /help through the shipped 32-bit setup.
px_add_wine_test(NAME deploy_switches COMMAND ${PROJECT_SOURCE_DIR}/tests/app/deploy_switches_test.sh
                 $<TARGET_FILE:setup> ${PX_TEST_BINARY_DIR}/bin/uninstall_remote.exe
                 RAW SHIPPED VERSIONS 10 GROUP deploy_switches)
# What a user can hand the elevated setup: system folders, a CR LF in a value,
# a linked log; and the rights of the install folder it creates.
px_add_wine_test(NAME elevated_inputs COMMAND ${PROJECT_SOURCE_DIR}/tests/app/elevated_inputs_test.sh
                 $<TARGET_FILE:setup> RAW SHIPPED VERSIONS 10 GROUP elevated_inputs)
