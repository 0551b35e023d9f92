# Widgets, the WebKitGTK binding and GTK dialogs, each half above its core;
# the program itself on top.
morvane_layer(morvane_browser_gtk browser/gtk BELOW morvane_browser_core LIBS PkgConfig::GTKMM PkgConfig::WEBKIT)
morvane_layer(morvane_navi_gtk navi/gtk BELOW morvane_navi_core morvane_browser_gtk)
morvane_layer(morvane_gui app BELOW morvane_navi_gtk morvane_health)
include(${PROJECT_SOURCE_DIR}/cmake/BrowserScripts.cmake)
include(${PROJECT_SOURCE_DIR}/cmake/ToolbarIcons.cmake)

add_executable(morvane ${PROJECT_SOURCE_DIR}/app/main.cpp)
target_link_libraries(morvane PRIVATE morvane_gui)
