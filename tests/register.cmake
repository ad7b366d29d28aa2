# The outer build's own tests (scripts, the shipped programs, static checks),
# declared in each area's register.cmake. The GoogleTest programs are declared
# in their area's CMakeLists.txt and registered by the nested test build.
file(GLOB px_test_registrations CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*/register.cmake)
foreach(reg IN LISTS px_test_registrations)
  include(${reg})
endforeach()
