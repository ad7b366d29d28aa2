# The product's identity, kept here and nowhere else: the version is
# project()'s (CMakeLists.txt), the publisher a cache value. Everything that
# names them is written from these at configure time: px_identity.h for the
# code and the resource scripts (version blocks, the viewer's about text), the
# programs' application manifests, and the package manager's manifest.
# The product name is fixed: the German texts, the registry keys and the
# viewer's window class name it too.
set(PX_PRODUCT_NAME Pixolum)
set(PX_PUBLISHER "Orlovane" CACHE STRING "Publisher: the uninstall entry, the version blocks, the package manifest")

if(NOT PROJECT_VERSION MATCHES "^([0-9]+)[.]([0-9]+)$")
  message(FATAL_ERROR "The version is MAJOR.MINOR (project(... VERSION 4.72)), not ${PROJECT_VERSION}")
endif()
set(PX_VERSION ${PROJECT_VERSION})
set(PX_VERSION_MAJOR ${CMAKE_MATCH_1})
set(PX_VERSION_MINOR ${CMAKE_MATCH_2})
if(PX_VERSION_MAJOR GREATER 65535 OR PX_VERSION_MINOR GREATER 65535)
  message(FATAL_ERROR "Version ${PX_VERSION}: a version block holds numbers up to 65535")
endif()
# The publisher goes into C and resource strings and into file names.
if(PX_PUBLISHER STREQUAL "" OR PX_PUBLISHER MATCHES "[\"\\\\/:*?<>|]" OR PX_PUBLISHER MATCHES "[\t\r\n]")
  message(FATAL_ERROR "PX_PUBLISHER \"${PX_PUBLISHER}\": a name without \" \\ / : * ? < > | is needed")
endif()
# The package identifier and the assembly names take letters and digits only.
string(REGEX REPLACE "[^A-Za-z0-9]" "" PX_PUBLISHER_ID "${PX_PUBLISHER}")
if(PX_PUBLISHER_ID STREQUAL "")
  message(FATAL_ERROR "PX_PUBLISHER \"${PX_PUBLISHER}\" needs at least one letter or digit A-Z, 0-9")
endif()

if(NOT PX_TEST_BUILD)
  message(STATUS "Version: ${PX_VERSION}, publisher: ${PX_PUBLISHER}")
endif()

set(PX_IDENTITY_DIR ${CMAKE_BINARY_DIR}/identity)
configure_file(${CMAKE_CURRENT_LIST_DIR}/px_identity.h.in ${PX_IDENTITY_DIR}/px_identity.h @ONLY)
foreach(manifest resources/setup uninstall/px_uninstall payload/viewer/pixo32)
  get_filename_component(name ${manifest} NAME)
  configure_file(${PROJECT_SOURCE_DIR}/${manifest}.manifest.in ${PX_IDENTITY_DIR}/${name}.manifest @ONLY)
endforeach()
set(PX_IDENTITY_FILES ${PX_IDENTITY_DIR}/px_identity.h ${PX_IDENTITY_DIR}/setup.manifest
    ${PX_IDENTITY_DIR}/px_uninstall.manifest ${PX_IDENTITY_DIR}/pixo32.manifest)
include_directories(${PX_IDENTITY_DIR})
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I ${PX_IDENTITY_DIR}")
