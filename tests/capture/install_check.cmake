# Installs the build into a scratch prefix and checks that every installed file is where the launcher expects it.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX} RESULT_VARIABLE result
                OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

set(expected
    ${BINDIR}/tomblora
    ${BINDIR}/salad
    ${BINDIR}/tomblora-capture
    ${LIBEXECDIR}/tomblora/tomblora
    ${DATADIR}/tomblora/tomblora.salad
    ${DATADIR}/applications/tomblora.desktop
    ${DATADIR}/icons/hicolor/${ICON_SIZE}x${ICON_SIZE}/apps/tomblora.png)
foreach(path ${expected})
  if(NOT EXISTS ${PREFIX}/${path})
    message(FATAL_ERROR "not installed: ${path}")
  endif()
endforeach()

# The launcher must reach the archive and the program from the prefix it finds for itself.
execute_process(COMMAND sh -c "sed -n 's/^prefix=.*cd \"\\$here\\/\\(.*\\)\" .*/\\1/p' '${PREFIX}/${BINDIR}/tomblora'"
                OUTPUT_VARIABLE up OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(found_prefix ${PREFIX}/${BINDIR}/${up} ABSOLUTE)
get_filename_component(real_prefix ${PREFIX} ABSOLUTE)
if(NOT found_prefix STREQUAL real_prefix)
  message(FATAL_ERROR "the launcher would look for its prefix in ${found_prefix}, not ${real_prefix}")
endif()

# The icon is a real PNG of the size asked for.
file(READ ${PREFIX}/${DATADIR}/icons/hicolor/${ICON_SIZE}x${ICON_SIZE}/apps/tomblora.png header LIMIT 24 HEX)
string(SUBSTRING ${header} 0 16 magic)
string(SUBSTRING ${header} 32 16 size)
math(EXPR side_hex "${ICON_SIZE}" OUTPUT_FORMAT HEXADECIMAL)
string(REGEX REPLACE "^0x" "" side_hex ${side_hex})
string(LENGTH ${side_hex} side_length)
math(EXPR zeros "8 - ${side_length}")
string(REPEAT "0" ${zeros} pad)
string(TOLOWER "${pad}${side_hex}${pad}${side_hex}" expected_size)
if(NOT magic STREQUAL "89504e470d0a1a0a" OR NOT size STREQUAL expected_size)
  message(FATAL_ERROR "the icon is not a ${ICON_SIZE} x ${ICON_SIZE} PNG (header ${header})")
endif()
