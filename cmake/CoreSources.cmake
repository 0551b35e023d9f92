# The core: every rule of the system, no GTK and no WebKit, in layers from the
# bottom up.
include(${PROJECT_SOURCE_DIR}/cmake/Layers.cmake)
morvane_layer(morvane_util util LIBS PkgConfig::GLIB)
morvane_layer(morvane_catalogue catalogue BELOW morvane_util)
# HTML, URLs and the status of a URL: what both the browser and the toolbar read pages with.
morvane_layer(morvane_web web BELOW morvane_util LIBS PkgConfig::CURL)
morvane_layer(morvane_health health BELOW morvane_web morvane_catalogue LIBS PkgConfig::SQLITE)
morvane_layer(morvane_browser_core browser/core BELOW morvane_web morvane_catalogue)
morvane_layer(morvane_navi_core navi/core BELOW morvane_browser_core)

add_library(morvane_core INTERFACE)
target_link_libraries(morvane_core INTERFACE morvane_navi_core morvane_health)
# --version tells the project's version.
set_source_files_properties(${PROJECT_SOURCE_DIR}/util/command_line.cpp PROPERTIES
  COMPILE_DEFINITIONS MORVANE_VERSION="${PROJECT_VERSION}")
