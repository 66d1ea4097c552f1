# What `cmake --install` puts under the prefix: the two programs, their
# read-only files in share/korvale, and the desktop's entry, file type,
# icons, thumbnailer, AppStream data, man pages and the licence. The
# developer tools (korvale-demo, korvale-libgen, korvale-libsheet,
# korvale-icons, korvale-snapshot, korvale-dialog-shots) stay in the build.
# Directories are relative, so any prefix works.
include(GNUInstallDirs)

set(KORVALE_INSTALL_DATADIR ${CMAKE_INSTALL_DATAROOTDIR}/korvale)
set(KORVALE_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/korvale)
set(desktop ${CMAKE_SOURCE_DIR}/data/desktop)

install(TARGETS korvale korvale-render RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The program folder's read-only files, built into bin/ (data/, tools/).
install(FILES
  ${KORVALE_BIN_DIR}/Zelmorth.Pat
  ${KORVALE_BIN_DIR}/Zelmorth.Sym
  ${KORVALE_BIN_DIR}/VESK.ERR
  ${KORVALE_BIN_DIR}/korvale.INF
  ${KORVALE_BIN_DIR}/korvale.hlp
  ${KORVALE_BIN_DIR}/sample.tfl
  ${KORVALE_BIN_DIR}/core-photo.jpg
  DESTINATION ${KORVALE_INSTALL_DATADIR})

install(FILES ${desktop}/korvale.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${desktop}/korvale-mime.xml DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/mime/packages
        RENAME korvale.xml)
install(FILES ${desktop}/korvale.thumbnailer
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/thumbnailers)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/icons/hicolor
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons)

# The AppStream data and the man pages carry the version.
set(metainfo ${CMAKE_BINARY_DIR}/desktop/example.quelmark.Korvale.metainfo.xml)
configure_file(${desktop}/example.quelmark.Korvale.metainfo.xml ${metainfo} @ONLY)
install(FILES ${metainfo} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)

set(man_pages)
foreach(page korvale.1 korvale-render.1)
  set(page_file ${CMAKE_BINARY_DIR}/man/${page})
  configure_file(${CMAKE_SOURCE_DIR}/data/man/${page} ${page_file} @ONLY)
  add_custom_command(OUTPUT ${page_file}.gz
    COMMAND gzip -9 -n -k -f ${page_file}
    DEPENDS ${page_file}
    COMMENT "Compressing the man page ${page}" VERBATIM)
  list(APPEND man_pages ${page_file}.gz)
endforeach()
add_custom_target(korvale_man ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES ${CMAKE_SOURCE_DIR}/LICENSE ${desktop}/copyright DESTINATION ${KORVALE_INSTALL_DOCDIR})
