# Robustness: command lines and damaged archives (in-process), faults
# through the real setup under Wine (RAW scripts).
px_add_wine_test(NAME setup_faults COMMAND ${PROJECT_SOURCE_DIR}/tests/robustness/setup_faults_test.sh
                 ${PX_SETUP_EXE} ${PX_TEST_PAYLOAD_DIR}/payload.zip
                 ${PX_TEST_BINARY_DIR}/bin/file_holder.exe
                 RAW VERSIONS 10 GROUP robustness_faults)
