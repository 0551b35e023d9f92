# cpack: a Debian package of what cmake --install puts in place, under /usr,
# its dependencies found from the programs' libraries (tools/package makes it).
if(NOT MORVANE_GUI)
  return()
endif()
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catalogue of web sites with their access statistics")
set(CPACK_PACKAGE_DESCRIPTION "Keeps the web sites you run in categories, opens each site's statistics page
at the access-analysis service in an embedded browser and logs in for you.
A toolbar carries web-master tools: link tags, page link lists, index and
backlink checks.")
set(CPACK_PACKAGE_CONTACT "Morvane developers <dev@morvane.org>")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Japanese text in the window.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-japanese-gothic")
include(CPack)
