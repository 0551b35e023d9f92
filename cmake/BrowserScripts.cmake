# The browser binding's page scripts, embedded at build time: every
# browser/gtk/scripts/<name>.js except the prelude becomes the constant
# k_<name>, prelude in front, in the generated header browser/gtk/page_scripts.h.
if(CMAKE_SCRIPT_MODE_FILE)
  # cmake -DSCRIPTS_DIR=<dir> -DOUTPUT=<header> -P BrowserScripts.cmake
  cmake_minimum_required(VERSION 3.25)
  file(READ ${SCRIPTS_DIR}/prelude.js prelude)
  set(out "// Generated from browser/gtk/scripts at build time.\n#pragma once\n#include <string_view>\n\nnamespace morvane::page_scripts {\n")
  file(GLOB scripts ${SCRIPTS_DIR}/*.js)
  list(SORT scripts)
  foreach(js IN LISTS scripts)
    get_filename_component(name ${js} NAME_WE)
    if(NOT name STREQUAL "prelude")
      file(READ ${js} body)
      string(APPEND out "inline constexpr std::string_view k_${name} = R\"morvane_js(${prelude}${body})morvane_js\";\n")
    endif()
  endforeach()
  string(APPEND out "}  // namespace morvane::page_scripts\n")
  file(WRITE ${OUTPUT}.new "${out}")
  file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
  file(REMOVE ${OUTPUT}.new)
  return()
endif()

file(GLOB MORVANE_PAGE_SCRIPTS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/browser/gtk/scripts/*.js)
set(MORVANE_PAGE_SCRIPTS_HEADER ${PROJECT_BINARY_DIR}/generated/browser/gtk/page_scripts.h)
add_custom_command(OUTPUT ${MORVANE_PAGE_SCRIPTS_HEADER}
  COMMAND ${CMAKE_COMMAND} -DSCRIPTS_DIR=${PROJECT_SOURCE_DIR}/browser/gtk/scripts
          -DOUTPUT=${MORVANE_PAGE_SCRIPTS_HEADER} -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS ${MORVANE_PAGE_SCRIPTS} ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Embedding the page scripts")
target_sources(morvane_browser_gtk PRIVATE ${MORVANE_PAGE_SCRIPTS_HEADER})
target_include_directories(morvane_browser_gtk PRIVATE ${PROJECT_BINARY_DIR}/generated)
