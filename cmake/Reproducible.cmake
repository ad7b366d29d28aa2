# Two builds of the same sources, in any folders and at any time, give the
# same bytes: the PE headers carry no link time (a zero time stamp), and file
# names the compiler embeds (__FILE__) are relative, not the build machine's.
add_compile_options(
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>"
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>"
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PX_DEPS_CACHE}/=>")
add_link_options(-Wl,--no-insert-timestamp)
