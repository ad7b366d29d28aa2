# Test registration: each test program runs whole under Wine (one CTest test
# per program and Windows version), in the prefix of its group.
set(PX_ALL_WINVERS xp vista 7 8 81 10 11 11edge)

# px_add_wine_test(NAME <name> COMMAND <program.exe> [args...]
#                  [VERSIONS v...] [GROUP g] [GUI] [RAW] [SHIPPED] [TIMEOUT s] [LABELS l...])
# The program runs under cmake/wine-run.sh; with RAW the command runs as it
# is (a shell script that drives Wine itself) with the same environment.
# SHIPPED marks a test of the shipped 32-bit programs: Windows XP gets a
# 32-bit prefix, the other versions a 64-bit one (WOW64); where 32-bit Wine
# cannot run, the test is reported as skipped.
function(px_add_wine_test)
  cmake_parse_arguments(T "GUI;RAW;SHIPPED" "NAME;GROUP;TIMEOUT" "COMMAND;VERSIONS;LABELS" ${ARGN})
  if(NOT T_VERSIONS)
    set(T_VERSIONS 10)
  endif()
  if(NOT T_GROUP)
    set(T_GROUP ${T_NAME})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  if(T_SHIPPED)
    list(APPEND T_LABELS shipped32)
  endif()
  set(gui 0)
  if(T_GUI)
    set(gui 1)
  endif()
  foreach(v IN LISTS T_VERSIONS)
    set(test_name ${T_NAME}.win${v})
    set(runner ${PROJECT_SOURCE_DIR}/scripts/wine-test.sh)
    if(T_RAW)
      add_test(NAME ${test_name} COMMAND ${runner} ${T_COMMAND})
    else()
      add_test(NAME ${test_name} COMMAND ${runner} ${PX_WINE_RUN} ${T_COMMAND})
    endif()
    set(arch win64)
    set(shipped 0)
    if(T_SHIPPED)
      set(shipped 1)
      if(v STREQUAL "xp")
        set(arch win32)
      endif()
      set_tests_properties(${test_name} PROPERTIES SKIP_RETURN_CODE 77)
    endif()
    set_tests_properties(${test_name} PROPERTIES
      ENVIRONMENT "PX_SHIPPED=${shipped};PX_WINEARCH=${arch};PX_WINVER=${v};PX_GROUP=${T_GROUP};PX_GUI=${gui};PX_WINE_ROOT=${CMAKE_BINARY_DIR}/wine;PX_WINE_RUN=${PX_WINE_RUN};PX_BUILD_DIR=${CMAKE_BINARY_DIR};PX_SOURCE_DIR=${PROJECT_SOURCE_DIR};PX_VERSION=${PX_VERSION};PX_PUBLISHER=${PX_PUBLISHER}"
      TIMEOUT ${T_TIMEOUT}
      FIXTURES_REQUIRED wine
      LABELS "${T_LABELS}"
      RESOURCE_LOCK "prefix-${T_GROUP}-${v}-${gui}-${arch}")
    if(T_GUI)
      set_property(TEST ${test_name} APPEND PROPERTY RESOURCE_LOCK display)
    endif()
  endforeach()
endfunction()

# Fresh prefixes for every run, and no wineserver left behind afterwards.
add_test(NAME wine.reset COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefixes.sh reset ${CMAKE_BINARY_DIR}/wine)
add_test(NAME wine.shutdown COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-prefixes.sh shutdown ${CMAKE_BINARY_DIR}/wine)
set_tests_properties(wine.reset PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine.shutdown PROPERTIES FIXTURES_CLEANUP wine)

# The 64-bit twins that most tests run.
set(PX_SETUP_EXE ${PX_TEST_BINARY_DIR}/app/setup.exe)
set(PX_TEST_PAYLOAD_DIR ${PX_TEST_BINARY_DIR}/payload)

# A GoogleTest program of the nested test build.
function(px_add_gtest name)
  px_add_wine_test(NAME ${name} COMMAND ${PX_TEST_BINARY_DIR}/bin/${name}.exe --gtest_brief=1 ${ARGN})
endfunction()
