# Tests of the payload. The packer and import checks need no Wine. The
# checks of the built archive's content hold for the stand-in files only,
# not for a folder given with PX_PAYLOAD_DIR.
if(PX_PAYLOAD_DIR)
  set(px_built_payload "")
else()
  set(px_built_payload ${PX_PAYLOAD_ZIP} ${PX_PAYLOAD_ENTRIES})
endif()
add_test(NAME payload.packer
         COMMAND ${PROJECT_SOURCE_DIR}/tests/payload/packer_test.sh
                 ${PROJECT_SOURCE_DIR}/payload/pack_payload.py ${px_built_payload})
# The programs and libraries as packed, whichever folder they came from.
add_test(NAME payload.check_imports
         COMMAND ${PROJECT_SOURCE_DIR}/tests/payload/check_imports_test.sh
                 ${PROJECT_SOURCE_DIR}/scripts/check-imports.sh ${PX_PAYLOAD_PACKED_DIR})
set_tests_properties(payload.packer payload.check_imports PROPERTIES LABELS payload TIMEOUT 120)
