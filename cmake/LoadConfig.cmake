# px_set_load_config(target): points the 32-bit program's load configuration
# data directory at engine/load_config.cpp's structure after each link (the
# GNU linker leaves the directory empty). Runs before signing: call it before
# px_finish_binary. The 64-bit twins keep no load configuration.
function(px_set_load_config target)
  if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
    return()
  endif()
  set(map ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  target_link_options(${target} PRIVATE -Wl,--undefined=__load_config_used -Wl,-Map=${map})
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND /usr/bin/python3 -B ${PROJECT_SOURCE_DIR}/scripts/set-load-config.py
            $<TARGET_FILE:${target}> ${map}
    COMMENT "Load configuration of ${target}" VERBATIM)
endfunction()
