# px_delay_load(TARGET DLL FUNCTIONS name...): TARGET loads the system DLL on
# the first call of one of the functions instead of at start-up. The delay-load
# library takes the import library's name in a folder searched first, so every
# "-l<dll>" of the target's link resolves to it; a function missing from the
# list fails the link instead of slipping in as an ordinary import.
function(px_delay_load target dll)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "FUNCTIONS")
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/delay-load-${target})
  set(lib ${dir}/lib${dll}.a)
  set(list ${dir}/${dll}.imports)
  find_library(PX_IMPORT_LIB_${dll} NAMES ${dll} REQUIRED NO_CACHE)
  add_custom_command(OUTPUT ${lib} ${list}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${PROJECT_SOURCE_DIR}/cmake/make-delay-lib.sh ${CMAKE_NM} ${CMAKE_DLLTOOL}
            ${PX_IMPORT_LIB_${dll}} ${dll} ${lib} ${list} ${arg_FUNCTIONS}
    DEPENDS ${PROJECT_SOURCE_DIR}/cmake/make-delay-lib.sh
    COMMENT "Delay-load library for ${dll}.dll"
    VERBATIM)
  add_custom_target(${target}_delay_${dll} DEPENDS ${lib} ${list})
  add_dependencies(${target} ${target}_delay_${dll})
  target_link_directories(${target} BEFORE PRIVATE ${dir})
  # Relinks when the list changes.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${lib})
endfunction()
