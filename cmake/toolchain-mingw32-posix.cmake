# The 32-bit test programs that drive the shipped setup's wizard inside a
# 32-bit Windows XP prefix (GoogleTest needs the posix thread model; these
# programs are tools of the tests, not shipped).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(PX_MINGW_PREFIX i686-w64-mingw32)
set(PX_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
