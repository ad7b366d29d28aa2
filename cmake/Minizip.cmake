# minizip from the contrib folder of Debian's zlib sources, built as a static
# library for mingw against Debian's mingw zlib (linked statically so the
# programs need no zlib1.dll).
set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB REQUIRED)

set(PX_DEPS_CACHE "$ENV{HOME}/.cache/pixolum-setup" CACHE PATH "Cache of fetched dependency sources")
execute_process(
  COMMAND ${PROJECT_SOURCE_DIR}/scripts/fetch-zlib-source.sh ${PX_DEPS_CACHE}
  OUTPUT_VARIABLE PX_ZLIB_SOURCE OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE fetch_result)
if(NOT fetch_result EQUAL 0 OR NOT EXISTS "${PX_ZLIB_SOURCE}/contrib/minizip/unzip.c")
  message(FATAL_ERROR "Could not fetch Debian's zlib sources (minizip) into ${PX_DEPS_CACHE}")
endif()
set(MINIZIP_DIR ${PX_ZLIB_SOURCE}/contrib/minizip)

add_library(minizip STATIC
  ${MINIZIP_DIR}/ioapi.c ${MINIZIP_DIR}/iowin32.c ${MINIZIP_DIR}/unzip.c ${MINIZIP_DIR}/zip.c)
target_include_directories(minizip SYSTEM PUBLIC ${MINIZIP_DIR})
target_link_libraries(minizip PUBLIC ZLIB::ZLIB)
target_compile_options(minizip PRIVATE -w)
