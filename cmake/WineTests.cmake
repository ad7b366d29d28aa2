# Test registration: each test program runs whole under Wine (one CTest test
# per program and Windows version), in the prefix of its group. Both builds
# use it: the outer build registers its tests directly, the nested test build
# writes the registration of the GoogleTest programs it builds into a CTest
# script that the outer build's CTest reads (see tests/CMakeLists.txt).
set(PX_ALL_WINVERS xp vista 7 8 81 10 11 11edge)
# Where the tests run: the outer build's folder, seen from either build.
if(PX_TEST_BUILD)
  set(PX_RUN_BINARY_DIR ${PX_OUTER_BINARY_DIR})
else()
  set(PX_RUN_BINARY_DIR ${CMAKE_BINARY_DIR})
endif()

# px_add_wine_test(NAME <name> COMMAND <program.exe> [args...]
#                  [VERSIONS v...] [GROUP g] [GUI] [RAW] [SHIPPED] [TIMEOUT s] [LABELS l...])
# The program runs under cmake/wine-run.sh; with RAW the command runs as it
# is (a shell script that drives Wine itself) with the same environment.
# SHIPPED marks a test of the shipped 32-bit programs: Windows XP gets a
# 32-bit prefix, the other versions a 64-bit one (WOW64); where 32-bit Wine
# cannot run, the test is reported as skipped.
# In the nested test build the tests go to the global property
# PX_CTEST_SCRIPT as CTest script lines (bracket arguments keep the
# semicolons of lists) instead of add_test.
function(px_add_wine_test)
  cmake_parse_arguments(T "GUI;RAW;SHIPPED" "NAME;GROUP;TIMEOUT" "COMMAND;VERSIONS;LABELS" ${ARGN})
  # A wrong declaration stops the configuration, not the test run.
  if(T_UNPARSED_ARGUMENTS OR T_KEYWORDS_MISSING_VALUES)
    message(FATAL_ERROR "Test ${T_NAME}: unknown or empty arguments: "
                        "${T_UNPARSED_ARGUMENTS} ${T_KEYWORDS_MISSING_VALUES}")
  endif()
  if(NOT T_NAME OR NOT T_COMMAND)
    message(FATAL_ERROR "A Wine test needs NAME and COMMAND")
  endif()
  if(NOT T_VERSIONS)
    set(T_VERSIONS 10)
  endif()
  foreach(v IN LISTS T_VERSIONS)
    if(NOT v IN_LIST PX_ALL_WINVERS)
      message(FATAL_ERROR "Test ${T_NAME}: no Windows version '${v}' (known: ${PX_ALL_WINVERS})")
    endif()
  endforeach()
  if(NOT T_GROUP)
    set(T_GROUP ${T_NAME})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  elseif(NOT T_TIMEOUT MATCHES "^[1-9][0-9]*$")
    message(FATAL_ERROR "Test ${T_NAME}: TIMEOUT ${T_TIMEOUT} is no number of seconds")
  endif()
  if(T_SHIPPED)
    list(APPEND T_LABELS shipped32)
  endif()
  set(gui 0)
  if(T_GUI)
    set(gui 1)
  endif()
  set(runner ${PROJECT_SOURCE_DIR}/scripts/wine-test.sh)
  if(T_RAW)
    set(command ${runner} ${T_COMMAND})
  else()
    set(command ${runner} ${PX_WINE_RUN} ${T_COMMAND})
  endif()
  foreach(v IN LISTS T_VERSIONS)
    set(test_name ${T_NAME}.win${v})
    get_property(known GLOBAL PROPERTY PX_WINE_TEST_NAMES)
    if(test_name IN_LIST known)
      message(FATAL_ERROR "Test ${test_name} is declared twice")
    endif()
    set_property(GLOBAL APPEND PROPERTY PX_WINE_TEST_NAMES ${test_name})
    set(arch win64)
    set(shipped 0)
    if(T_SHIPPED)
      set(shipped 1)
      if(v STREQUAL "xp")
        set(arch win32)
      endif()
    endif()
    set(lock "prefix-${T_GROUP}-${v}-${gui}-${arch}")
    if(T_GUI)
      list(APPEND lock display)
    endif()
    set(environment "PX_SHIPPED=${shipped};PX_WINEARCH=${arch};PX_WINVER=${v};PX_GROUP=${T_GROUP};PX_GUI=${gui};PX_WINE_ROOT=${PX_RUN_BINARY_DIR}/wine;PX_WINE_RUN=${PX_WINE_RUN};PX_BUILD_DIR=${PX_RUN_BINARY_DIR};PX_SOURCE_DIR=${PROJECT_SOURCE_DIR};PX_VERSION=${PX_VERSION};PX_PUBLISHER=${PX_PUBLISHER}")
    if(NOT PX_TEST_BUILD)
      add_test(NAME ${test_name} COMMAND ${command})
      if(T_SHIPPED)
        set_tests_properties(${test_name} PROPERTIES SKIP_RETURN_CODE 77)
      endif()
      set_tests_properties(${test_name} PROPERTIES
        ENVIRONMENT "${environment}" TIMEOUT ${T_TIMEOUT} FIXTURES_REQUIRED wine
        LABELS "${T_LABELS}" RESOURCE_LOCK "${lock}")
      continue()
    endif()
    set(script "add_test(")
    foreach(word IN LISTS test_name command)
      string(APPEND script "[==[${word}]==] ")
    endforeach()
    string(APPEND script ")\nset_tests_properties([==[${test_name}]==] PROPERTIES "
      "ENVIRONMENT [==[${environment}]==] TIMEOUT ${T_TIMEOUT} FIXTURES_REQUIRED wine "
      "RESOURCE_LOCK [==[${lock}]==] WORKING_DIRECTORY [==[${PX_RUN_BINARY_DIR}]==]")
    if(T_LABELS)
      string(APPEND script " LABELS [==[${T_LABELS}]==]")
    endif()
    if(T_SHIPPED)
      string(APPEND script " SKIP_RETURN_CODE 77")
    endif()
    set_property(GLOBAL APPEND_STRING PROPERTY PX_CTEST_SCRIPT "${script})\n")
  endforeach()
endfunction()

if(PX_TEST_BUILD)
  return()
endif()

# Fresh prefixes for every run, and no wineserver left behind afterwards.
add_test(NAME wine.reset COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefixes.sh reset ${CMAKE_BINARY_DIR}/wine)
add_test(NAME wine.shutdown COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefixes.sh shutdown ${CMAKE_BINARY_DIR}/wine)
set_tests_properties(wine.reset PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine.shutdown PROPERTIES FIXTURES_CLEANUP wine)

# The 64-bit twins that most tests run.
set(PX_SETUP_EXE ${PX_TEST_BINARY_DIR}/app/setup.exe)
set(PX_TEST_PAYLOAD_DIR ${PX_TEST_BINARY_DIR}/payload)

# The GoogleTest programs register themselves: the nested test build writes
# their tests, with the paths of what it built, into this script. Until that
# build has run, one failing test says so instead of a silently short list.
set(px_nested_registration ${PX_TEST_BINARY_DIR}/tests/registered_tests.cmake)
file(WRITE ${CMAKE_BINARY_DIR}/nested_tests.cmake
"if(EXISTS [==[${px_nested_registration}]==])
  include([==[${px_nested_registration}]==])
else()
  add_test(tests.not_built /bin/sh -c [==[echo 'the nested test build has not run: cmake --build ${CMAKE_BINARY_DIR}' >&2; exit 1]==])
endif()
")
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/nested_tests.cmake)
