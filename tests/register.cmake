# Registers every area's tests with CTest in the outer build.
file(GLOB px_test_registrations CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*/register.cmake)
foreach(reg IN LISTS px_test_registrations)
  include(${reg})
endforeach()
