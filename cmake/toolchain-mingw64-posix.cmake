# The test build: the same sources as 64-bit Windows programs. The machines
# this project builds on cannot execute 32-bit code, so Wine runs the 64-bit
# twins of the shipped programs; the posix thread model is what GoogleTest
# needs. The shipped 32-bit programs are checked statically (import tables).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${PX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${PX_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
