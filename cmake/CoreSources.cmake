# The core: every rule of the system, no GTK and no WebKit.
file(GLOB MORVANE_CORE_SOURCES CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/util/*.cpp
  ${PROJECT_SOURCE_DIR}/catalogue/*.cpp
  ${PROJECT_SOURCE_DIR}/browser/core/*.cpp
  ${PROJECT_SOURCE_DIR}/navi/core/*.cpp
  ${PROJECT_SOURCE_DIR}/health/*.cpp)
add_library(morvane_core STATIC ${MORVANE_CORE_SOURCES})
target_include_directories(morvane_core PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(morvane_core PUBLIC PkgConfig::GLIB PkgConfig::CURL PkgConfig::SQLITE)
# --version tells the project's version.
set_source_files_properties(${PROJECT_SOURCE_DIR}/util/command_line.cpp PROPERTIES
  COMPILE_DEFINITIONS MORVANE_VERSION="${PROJECT_VERSION}")
