# Publishing a release: a second build in other folders gives the same bytes;
# the same build signed with a throw-away authority verifies and installs;
# the package manager's manifest matches the setup.exe and what it installs.
set(PX_RELEASE_CHECK_DIR ${CMAKE_BINARY_DIR}/release-check)
add_test(NAME publish.reproducible
         COMMAND ${CMAKE_CURRENT_LIST_DIR}/reproducible_test.sh ${PROJECT_SOURCE_DIR} ${CMAKE_BINARY_DIR}
                 ${PX_RELEASE_CHECK_DIR})
set_tests_properties(publish.reproducible PROPERTIES
  TIMEOUT 1800 FIXTURES_SETUP px_release_build RESOURCE_LOCK release_check)
px_add_wine_test(NAME publish_signed COMMAND ${CMAKE_CURRENT_LIST_DIR}/signed_test.sh ${PX_RELEASE_CHECK_DIR}
                 RAW SHIPPED VERSIONS 10 GROUP publish_signed TIMEOUT 1800)
set_property(TEST publish_signed.win10 APPEND PROPERTY FIXTURES_REQUIRED px_release_build)
set_property(TEST publish_signed.win10 APPEND PROPERTY RESOURCE_LOCK release_check)
set(PX_WINGET_SCHEMA_DIR ${CMAKE_CURRENT_LIST_DIR}/winget-schema-1.10.0 CACHE PATH
    "The package manager's JSON schemas of manifest version 1.10.0")
px_add_wine_test(NAME publish_manifest COMMAND ${CMAKE_CURRENT_LIST_DIR}/manifest_test.sh
                 $<TARGET_FILE:setup> ${PX_MANIFEST_FOLDER}
                 ${PX_WINGET_SCHEMA_DIR}
                 RAW SHIPPED VERSIONS 10 GROUP publish_manifest)
# A maintainer's release around their own viewer folder, the version raised
# in CMakeLists.txt alone: built signed, installed and removed under Wine.
px_add_wine_test(NAME publish_viewer_folder
                 COMMAND ${CMAKE_CURRENT_LIST_DIR}/viewer_folder_test.sh ${CMAKE_BINARY_DIR}/viewer-folder-check
                 RAW SHIPPED VERSIONS 10 GROUP publish_viewer_folder TIMEOUT 1800)
set_property(TEST publish_viewer_folder.win10 APPEND PROPERTY RESOURCE_LOCK release_check)
