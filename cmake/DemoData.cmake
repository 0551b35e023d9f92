# morvane-demo-data: the demo catalogue that `tools/run --demo` starts with,
# written by the core itself.
add_executable(morvane-demo-data ${PROJECT_SOURCE_DIR}/catalogue/tool/morvane_demo_data.cpp)
target_link_libraries(morvane-demo-data PRIVATE morvane_core)
