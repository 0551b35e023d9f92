# libFuzzer targets: fuzz/<name>.cpp becomes fuzz_<name>. Seeds live in
# fuzz/corpus/<name>/ and, copied from the test fixtures, in corpus/<name>/ of
# this build. Each target also runs briefly as a CTest test so a regression
# shows in an ordinary test run of this build.
if(MORVANE_FUZZ)
  file(GLOB fuzz_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/fuzz/*.cpp)
  set(MORVANE_FUZZ_SECONDS 5 CACHE STRING "Seconds each fuzzer runs under CTest")
  enable_testing()
  foreach(src ${fuzz_sources})
    get_filename_component(name ${src} NAME_WE)
    add_executable(fuzz_${name} ${src})
    target_link_libraries(fuzz_${name} PRIVATE morvane_core)
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    set(corpus ${CMAKE_BINARY_DIR}/corpus/${name})
    add_test(NAME fuzz_${name}
      COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
              $<TARGET_FILE:fuzz_${name}> -max_total_time=${MORVANE_FUZZ_SECONDS} -timeout=10
              -rss_limit_mb=4096 ${corpus} ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
    file(MAKE_DIRECTORY ${corpus} ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
  endforeach()
  # Test fixtures that seed a fuzzer too, kept once and copied into its corpus.
  file(COPY ${PROJECT_SOURCE_DIR}/tests/fixtures/bookmarks.html DESTINATION ${CMAKE_BINARY_DIR}/corpus/bookmark_file)
  file(COPY ${PROJECT_SOURCE_DIR}/tests/fixtures/links_page.html DESTINATION ${CMAKE_BINARY_DIR}/corpus/html_scanners)
endif()
