# Authenticode signing of the shipped programs with osslsigncode. Give either
# a PKCS#12 file or a certificate (PEM, with its chain) and its key; the
# password, if any, is read from a file so that it stays out of the build
# files and the process list. Without them the build is unsigned.
set(PX_SIGN_PKCS12 "" CACHE FILEPATH "PKCS#12 file with the code-signing certificate and key")
set(PX_SIGN_CERT "" CACHE FILEPATH "Code-signing certificate (PEM, chain included) if no PKCS#12 file")
set(PX_SIGN_KEY "" CACHE FILEPATH "Private key of PX_SIGN_CERT (PEM)")
set(PX_SIGN_PASS_FILE "" CACHE FILEPATH "File holding the password of the PKCS#12 file or key")
set(PX_SIGN_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp address, e.g. http://timestamp.example")

set(PX_SIGN_ARGS "")
if(PX_TEST_BUILD)
  # The 64-bit twins are not shipped.
elseif(PX_SIGN_PKCS12)
  set(PX_SIGN_ARGS --pkcs12 ${PX_SIGN_PKCS12})
elseif(PX_SIGN_CERT AND PX_SIGN_KEY)
  set(PX_SIGN_ARGS --cert ${PX_SIGN_CERT} --key ${PX_SIGN_KEY})
elseif(PX_SIGN_CERT OR PX_SIGN_KEY)
  message(FATAL_ERROR "PX_SIGN_CERT and PX_SIGN_KEY go together")
endif()
if(PX_SIGN_ARGS)
  find_program(PX_OSSLSIGNCODE osslsigncode REQUIRED)
  if(PX_SIGN_PASS_FILE)
    list(APPEND PX_SIGN_ARGS --pass-file ${PX_SIGN_PASS_FILE})
  endif()
  if(PX_SIGN_TIMESTAMP_URL)
    list(APPEND PX_SIGN_ARGS --timestamp ${PX_SIGN_TIMESTAMP_URL})
  endif()
  message(STATUS "Signing: setup.exe and the programs it carries (SHA-256)")
  # The programs and libraries of the archive are signed as copies, when
  # it is packed (payload/CMakeLists.txt): whatever their source, what ships is signed.
  set(PX_SIGN_TREE_COMMAND /usr/bin/python3 -B ${PROJECT_SOURCE_DIR}/publish/sign_tree.py
      --url ${PX_SITE} --product ${PX_PRODUCT_NAME} ${PX_SIGN_ARGS})
elseif(NOT PX_TEST_BUILD)
  message(STATUS "Signing: off, the programs stay unsigned (set PX_SIGN_PKCS12 or PX_SIGN_CERT and PX_SIGN_KEY)")
endif()

# px_finish_binary(target NAME text [SIZE bytes] [PACKED]): after each link,
# signs the target's file when signing is on; NAME is the description Windows
# shows for the signature (the elevation prompt's program name), the file's
# own description. SIZE brings the file to exactly that many bytes, signed or
# not (zero bytes after the image). PACKED: a file of the archive, signed as
# the copy that is packed, not here.
function(px_finish_binary target)
  cmake_parse_arguments(F "PACKED" "NAME;SIZE" "" ${ARGN})
  set(python /usr/bin/python3)
  if(PX_SIGN_ARGS AND NOT F_PACKED)
    set(size_args "")
    if(F_SIZE)
      set(size_args --size ${F_SIZE})
    endif()
    # -B: the script's import writes no byte code into the source tree.
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${python} -B ${PROJECT_SOURCE_DIR}/publish/sign_file.py $<TARGET_FILE:${target}>
              --name ${F_NAME} --url ${PX_SITE} ${PX_SIGN_ARGS} ${size_args}
      COMMENT "Signing ${target}" VERBATIM)
  elseif(F_SIZE)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${python} ${PROJECT_SOURCE_DIR}/publish/pad_to_size.py $<TARGET_FILE:${target}> ${F_SIZE}
      VERBATIM)
  endif()
endfunction()
