# morvane-links: the page link list and the index-check URLs on the command
# line, built on the core only.
add_executable(morvane-links ${PROJECT_SOURCE_DIR}/navi/tool/morvane_links.cpp)
target_link_libraries(morvane-links PRIVATE morvane_core)

set(links_page ${PROJECT_SOURCE_DIR}/tests/fixtures/links_page.html)
add_test(NAME links_tool_lists_a_saved_page
  COMMAND morvane-links ${links_page} http://example.test/dir/page.html --format tsv)
set_tests_properties(links_tool_lists_a_saved_page PROPERTIES
  PASS_REGULAR_EXPRESSION "http://example.test/about.html\t会社案内\nhttp://example.test/dir/news.html\tお知らせ\n")
add_test(NAME links_tool_builds_a_search_url
  COMMAND morvane-links --index-check google-index "http://example.test/a b?x=1&y=2")
set_tests_properties(links_tool_builds_a_search_url PROPERTIES
  PASS_REGULAR_EXPRESSION "^http://www.google.co.jp/search\\?hl=ja&ie=UTF-8&q=site%3Aexample.test/a%20b%3Fx%3D1%26y%3D2\n$")
add_test(NAME links_tool_fails_on_a_missing_page
  COMMAND morvane-links ${PROJECT_SOURCE_DIR}/tests/fixtures/no_such_page.html http://example.test/)
set_tests_properties(links_tool_fails_on_a_missing_page PROPERTIES WILL_FAIL TRUE)
# A hostile page: its link text must not reach the terminal as control bytes
# nor add a column.
add_test(NAME links_tool_escapes_hostile_link_text
  COMMAND morvane-links ${PROJECT_SOURCE_DIR}/tests/fixtures/hostile_links_page.html http://example.test/ --format tsv)
set_tests_properties(links_tool_escapes_hostile_link_text PROPERTIES
  PASS_REGULAR_EXPRESSION "^http://example.test/t.html\tab\\\\tc\\\\x1B]0;owned\\\\x07\\\\x1B]52;c;ZWNobyBoaQ==\\\\x07d\\\\x0Be\\\\x0Cf\\\\x1Cg\\\\\\\\h\n")
# Texts CP932 lacks, the html format's control bytes and the index check's escapes.
add_test(NAME links_tool_keeps_text_whole
  COMMAND ${PROJECT_SOURCE_DIR}/tests/program/links_tool_test.sh $<TARGET_FILE:morvane-links>
    ${PROJECT_SOURCE_DIR}/tests/fixtures)

# morvane-health: the site check for a timer, on the core only.
add_executable(morvane-health ${PROJECT_SOURCE_DIR}/health/tool/morvane_health.cpp)
target_link_libraries(morvane-health PRIVATE morvane_core)
