# Installation: the demo behind a launcher, its archive, the tools, the desktop entry and an icon rendered from
# the production itself. Every part is guarded, so the file works while targets are still missing.
include(GNUInstallDirs)

set(TOMBLORA_ICON_MOMENT 40000 CACHE STRING "Demo time (ms) of the frame the application icon is cut from")
set(TOMBLORA_ICON_SIZE 128)

# The launcher finds the prefix from its own place, so a moved tree or a DESTDIR install still works.
foreach(dir BINDIR DATADIR LIBEXECDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    message(WARNING "install: CMAKE_INSTALL_${dir} should be relative to the prefix for the tomblora launcher")
  endif()
endforeach()
file(RELATIVE_PATH TOMBLORA_BIN_TO_PREFIX "/prefix/${CMAKE_INSTALL_BINDIR}" "/prefix")
if(TOMBLORA_BIN_TO_PREFIX STREQUAL "")
  set(TOMBLORA_BIN_TO_PREFIX ".")
endif()

if(TARGET tomblora)
  configure_file(${CMAKE_SOURCE_DIR}/packaging/tomblora.sh.in ${CMAKE_BINARY_DIR}/packaging/tomblora @ONLY)
  # The real program opens tomblora.salad in its working directory, so it lives apart and the launcher cd's.
  install(TARGETS tomblora RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/tomblora)
  install(PROGRAMS ${CMAKE_BINARY_DIR}/packaging/tomblora DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES ${CMAKE_SOURCE_DIR}/packaging/tomblora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()

foreach(tool salad tomblora-capture)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

if(TARGET content_archive)
  install(FILES ${CMAKE_BINARY_DIR}/tomblora.salad DESTINATION ${CMAKE_INSTALL_DATADIR}/tomblora)
endif()

if(TARGET content_archive AND TARGET tomblora-capture AND TARGET tomblora-icon)
  string(LENGTH "${TOMBLORA_ICON_MOMENT}" digits)
  math(EXPR padding "6 - ${digits}")
  string(REPEAT "0" ${padding} zeros)
  set(icon_frame ${CMAKE_BINARY_DIR}/packaging/icon-frame/frame-${zeros}${TOMBLORA_ICON_MOMENT}.png)
  set(icon ${CMAKE_BINARY_DIR}/packaging/tomblora.png)
  # 10 steps a second are plenty to reach the moment: every part redraws its whole picture.
  add_custom_command(OUTPUT ${icon}
    COMMAND tomblora-capture --archive ${CMAKE_BINARY_DIR}/tomblora.salad --fps 10 --at ${TOMBLORA_ICON_MOMENT}
            --out ${CMAKE_BINARY_DIR}/packaging/icon-frame > ${CMAKE_BINARY_DIR}/packaging/icon-frame.log
    COMMAND tomblora-icon ${icon_frame} ${icon} ${TOMBLORA_ICON_SIZE}
    DEPENDS tomblora-capture tomblora-icon content_archive ${CMAKE_BINARY_DIR}/tomblora.salad
    COMMENT "Rendering the application icon from the production at ${TOMBLORA_ICON_MOMENT} ms"
    VERBATIM)
  add_custom_target(tomblora_icon ALL DEPENDS ${icon})
  install(FILES ${icon}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${TOMBLORA_ICON_SIZE}x${TOMBLORA_ICON_SIZE}/apps)

  if(TOMBLORA_TESTS AND NOT TOMBLORA_FUZZ)
    add_test(NAME packaging.install_tree
             COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DPREFIX=${CMAKE_BINARY_DIR}/install-check
                     -DBINDIR=${CMAKE_INSTALL_BINDIR} -DDATADIR=${CMAKE_INSTALL_DATADIR}
                     -DLIBEXECDIR=${CMAKE_INSTALL_LIBEXECDIR} -DICON_SIZE=${TOMBLORA_ICON_SIZE}
                     -P ${CMAKE_SOURCE_DIR}/tests/capture/install_check.cmake)
  endif()
endif()
