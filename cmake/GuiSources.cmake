# Widgets, the WebKitGTK binding and GTK dialogs; the program itself.
file(GLOB MORVANE_GUI_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/app/*.cpp
  ${PROJECT_SOURCE_DIR}/browser/gtk/*.cpp
  ${PROJECT_SOURCE_DIR}/navi/gtk/*.cpp)
list(REMOVE_ITEM MORVANE_GUI_SOURCES ${PROJECT_SOURCE_DIR}/app/main.cpp)
add_library(morvane_gui STATIC ${MORVANE_GUI_SOURCES})
target_link_libraries(morvane_gui PUBLIC morvane_core PkgConfig::GTKMM PkgConfig::WEBKIT)
include(${PROJECT_SOURCE_DIR}/cmake/BrowserScripts.cmake)
include(${PROJECT_SOURCE_DIR}/cmake/ToolbarIcons.cmake)

add_executable(morvane ${PROJECT_SOURCE_DIR}/app/main.cpp)
target_link_libraries(morvane PRIVATE morvane_gui)
