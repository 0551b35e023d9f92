# cmake --install: both programs, the desktop entry, the icon in every size a
# desktop asks for, the AppStream metainfo and the man pages.
if(NOT MORVANE_GUI)
  return()
endif()
include(GNUInstallDirs)

set(MORVANE_APP_ID org.morvane.Morvane)
set(data ${PROJECT_SOURCE_DIR}/data)
set(out ${PROJECT_BINARY_DIR}/data)

install(TARGETS morvane morvane-links morvane-health RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${data}/${MORVANE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${data}/${MORVANE_APP_ID}.metainfo.xml.in ${out}/${MORVANE_APP_ID}.metainfo.xml @ONLY)
install(FILES ${out}/${MORVANE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/man/morvane.1 ${PROJECT_SOURCE_DIR}/man/morvane-links.1
  ${PROJECT_SOURCE_DIR}/man/morvane-health.1
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The PNG sizes are rendered from the drawings at build time; 16 px has its
# own drawing on the pixel grid, the larger sizes scale the full one.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(icons ${PROJECT_BINARY_DIR}/icons)
set(pngs)
foreach(size 16 24 32 48 64 128 256)
  if(size EQUAL 16)
    set(drawing ${data}/icons/morvane-small.svg)
  else()
    set(drawing ${data}/icons/morvane.svg)
  endif()
  set(png ${icons}/${size}x${size}/${MORVANE_APP_ID}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${icons}/${size}x${size}
    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${drawing}
    DEPENDS ${drawing} VERBATIM)
  list(APPEND pngs ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(morvane_icons ALL DEPENDS ${pngs})
install(FILES ${data}/icons/morvane.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
  RENAME ${MORVANE_APP_ID}.svg)

# The desktop's own checkers, when the machine has them (tools/setup installs both).
if(MORVANE_TESTS)
  find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
  find_program(APPSTREAMCLI appstreamcli)
  if(DESKTOP_FILE_VALIDATE)
    add_test(NAME desktop_entry_is_valid COMMAND ${DESKTOP_FILE_VALIDATE} ${data}/${MORVANE_APP_ID}.desktop)
    set_tests_properties(desktop_entry_is_valid PROPERTIES FAIL_REGULAR_EXPRESSION "error|warning")
  endif()
  if(APPSTREAMCLI)
    add_test(NAME metainfo_is_valid COMMAND ${APPSTREAMCLI} validate --no-net ${out}/${MORVANE_APP_ID}.metainfo.xml)
  endif()
endif()
