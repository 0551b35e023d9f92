# The toolbar pictures the desktop's icon themes do not have, drawn for this
# program: compiled into the program as a resource and added to the icon
# theme at start (AddProgramIcons).
find_program(MORVANE_GLIB_COMPILE_RESOURCES glib-compile-resources REQUIRED)
set(MORVANE_ICONS_DIR ${PROJECT_SOURCE_DIR}/data/icons/actions)
file(GLOB MORVANE_ICON_FILES CONFIGURE_DEPENDS ${MORVANE_ICONS_DIR}/*.svg)
set(MORVANE_ICONS_SOURCE ${PROJECT_BINARY_DIR}/generated/program_icons.c)
file(MAKE_DIRECTORY ${PROJECT_BINARY_DIR}/generated)
add_custom_command(OUTPUT ${MORVANE_ICONS_SOURCE}
  COMMAND ${MORVANE_GLIB_COMPILE_RESOURCES} --generate-source --manual-register --c-name morvane_icons
          --sourcedir=${MORVANE_ICONS_DIR} --target=${MORVANE_ICONS_SOURCE} ${MORVANE_ICONS_DIR}/icons.gresource.xml
  DEPENDS ${MORVANE_ICONS_DIR}/icons.gresource.xml ${MORVANE_ICON_FILES}
  COMMENT "Compiling the toolbar icons")
target_sources(morvane_navi_gtk PRIVATE ${MORVANE_ICONS_SOURCE})
