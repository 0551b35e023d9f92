# morvane-demo-data: the demo catalogue that `tools/run --demo` starts with,
# written by the core itself.
add_executable(morvane-demo-data ${PROJECT_SOURCE_DIR}/catalogue/tool/morvane_demo_data.cpp)
target_link_libraries(morvane-demo-data PRIVATE morvane_core)

# The window tests take their README pictures on the demo catalogue.
if(TARGET app_gui_tests)
  target_compile_definitions(app_gui_tests PRIVATE MORVANE_DEMO_DATA="$<TARGET_FILE:morvane-demo-data>")
  add_dependencies(app_gui_tests morvane-demo-data)
endif()
