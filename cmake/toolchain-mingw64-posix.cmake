# The test build: the same sources as 64-bit Windows programs. The machines
# this project builds on cannot execute 32-bit code, so Wine runs the 64-bit
# twins of the shipped programs; the posix thread model is what GoogleTest
# needs. The shipped 32-bit programs are checked statically (import tables).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PX_MINGW_PREFIX x86_64-w64-mingw32)
set(PX_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
