# `make package` (cpack -G DEB): the Debian package korvale_<version>_<arch>.deb
# of everything KorvaleInstall.cmake installs, under /usr. The libraries it
# needs come from dpkg-shlibdeps (dpkg-dev); Debian's triggers refresh the
# MIME, desktop and icon caches for the files in those folders.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvale)
set(CPACK_PACKAGE_VENDOR "Quelmark Geoscience Software Ltd.")
set(CPACK_PACKAGE_CONTACT "Quelmark Geoscience Software Ltd. <support@quelmark.example>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer for compiled well logs")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.quelmark.example)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Logs name Windows faces; these give metric-compatible ones and the fallback.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation, fonts-dejavu-core, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-urw-base35")
# The long description under the summary; CPack indents it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Korvale opens compiled well logs (.tfl files), the finished drawings of
borehole logs, and shows them one page at a time as they print. It pages
through a log, reads the depth or elevation under the pointer, copies pages
and depths, prints a range of pages and adjusts a log's page size to the
printer's.

korvale-render draws pages to PNG or PDF without a display, describes a log
as JSON and makes the thumbnails that file managers show.")

include(CPack)
