# zlib and minizip (its contrib folder) from Debian's zlib sources, built as
# static libraries for mingw (the programs need no zlib1.dll).
set(PX_DEPS_CACHE "$ENV{HOME}/.cache/pixolum-setup" CACHE PATH "Cache of fetched dependency sources")
execute_process(
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-zlib-source.sh ${PX_DEPS_CACHE}
  OUTPUT_VARIABLE PX_ZLIB_SOURCE OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE fetch_result)
if(NOT fetch_result EQUAL 0 OR NOT EXISTS "${PX_ZLIB_SOURCE}/contrib/minizip/unzip.c")
  message(FATAL_ERROR "Could not fetch Debian's zlib sources (minizip) into ${PX_DEPS_CACHE}")
endif()
set(MINIZIP_DIR ${PX_ZLIB_SOURCE}/contrib/minizip)

# zlib built here rather than taken prebuilt: with the programs' own flags
# (function sections, no unwind tables) the link keeps only the inflate and
# checksum code the setup calls, about 16 KB less than the prebuilt archive.
# The hot loop (inflate_fast) keeps Debian's -O3; the rest is built with -O2
# (crc32's braided loop measured as fast at -O2, with 400 bytes less code).
add_library(zlibstatic STATIC
  ${PX_ZLIB_SOURCE}/adler32.c ${PX_ZLIB_SOURCE}/compress.c ${PX_ZLIB_SOURCE}/crc32.c
  ${PX_ZLIB_SOURCE}/deflate.c ${PX_ZLIB_SOURCE}/infback.c ${PX_ZLIB_SOURCE}/inffast.c
  ${PX_ZLIB_SOURCE}/inflate.c ${PX_ZLIB_SOURCE}/inftrees.c ${PX_ZLIB_SOURCE}/trees.c
  ${PX_ZLIB_SOURCE}/uncompr.c ${PX_ZLIB_SOURCE}/zutil.c)
target_include_directories(zlibstatic SYSTEM PUBLIC ${PX_ZLIB_SOURCE})
target_compile_options(zlibstatic PRIVATE -O2 -w)
set_source_files_properties(${PX_ZLIB_SOURCE}/inffast.c PROPERTIES COMPILE_OPTIONS -O3)

add_library(minizip STATIC
  ${MINIZIP_DIR}/ioapi.c ${MINIZIP_DIR}/iowin32.c ${MINIZIP_DIR}/unzip.c ${MINIZIP_DIR}/zip.c)
target_include_directories(minizip SYSTEM PUBLIC ${MINIZIP_DIR})
target_link_libraries(minizip PUBLIC zlibstatic)
target_compile_options(minizip PRIVATE -w)
