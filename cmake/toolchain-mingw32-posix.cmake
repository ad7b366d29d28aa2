# Cross-compiles 32-bit Windows programs with Debian's mingw-w64.
# Test programs: the posix thread model, which GoogleTest needs (std::mutex).
# They never ship, so the imports the posix runtime adds do not matter.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(PX_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER   ${PX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${PX_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
