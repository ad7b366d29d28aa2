# Cross-compiles 32-bit Windows programs with Debian's mingw-w64.
# The win32 thread model keeps the programs free of imports that Windows XP
# lacks (the posix runtime pulls in GetTickCount64).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(PX_MINGW_PREFIX i686-w64-mingw32)
set(PX_MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
