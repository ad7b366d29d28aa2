# The test build: the same sources as 64-bit Windows programs, the twins
# that most tests run (64-bit Wine starts faster, and runs where 32-bit Wine
# cannot); the posix thread model is what GoogleTest needs. The shipped
# 32-bit programs have tests of their own (label shipped32).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PX_MINGW_PREFIX x86_64-w64-mingw32)
set(PX_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
