# What `cmake --install` puts where (GNU layout under the prefix), and the Debian package that
# `cpack -G DEB` makes of it. The desktop entry, icon and metainfo carry the program's desktop id,
# which app/paths.h names as well (an installed copy is recognised by its metainfo file).
include(GNUInstallDirs)

set(BREVAK_ID io.github.brevak.Brevak)
set(BREVAK_DATA ${PROJECT_SOURCE_DIR}/data)

configure_file(${BREVAK_DATA}/${BREVAK_ID}.metainfo.xml
               ${CMAKE_BINARY_DIR}/install/${BREVAK_ID}.metainfo.xml @ONLY)
configure_file(${BREVAK_DATA}/brevak.1 ${CMAKE_BINARY_DIR}/install/brevak.1 @ONLY)
# Debian wants manual pages compressed, without a time stamp in the gzip header.
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/install/brevak.1.gz
  COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/install/brevak.1 > ${CMAKE_BINARY_DIR}/install/brevak.1.gz
  DEPENDS ${CMAKE_BINARY_DIR}/install/brevak.1
  VERBATIM)
# The Russian one, installed under the same name in man/ru.
configure_file(${BREVAK_DATA}/brevak.ru.1 ${CMAKE_BINARY_DIR}/install/ru/brevak.1 @ONLY)
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/install/ru/brevak.1.gz
  COMMAND gzip -9nc ${CMAKE_BINARY_DIR}/install/ru/brevak.1 > ${CMAKE_BINARY_DIR}/install/ru/brevak.1.gz
  DEPENDS ${CMAKE_BINARY_DIR}/install/ru/brevak.1
  VERBATIM)
# The package's changelog, where Debian looks for a native package's (compressed the same way).
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/install/changelog.gz
  COMMAND gzip -9nc ${BREVAK_DATA}/changelog > ${CMAKE_BINARY_DIR}/install/changelog.gz
  DEPENDS ${BREVAK_DATA}/changelog
  VERBATIM)
add_custom_target(brevak_manpage ALL DEPENDS ${CMAKE_BINARY_DIR}/install/brevak.1.gz
                                             ${CMAKE_BINARY_DIR}/install/ru/brevak.1.gz
                                             ${CMAKE_BINARY_DIR}/install/changelog.gz)

install(TARGETS brevak RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${BREVAK_DATA}/${BREVAK_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/install/${BREVAK_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${BREVAK_DATA}/icons/${BREVAK_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${BREVAK_DATA}/icons/${BREVAK_ID}-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${BREVAK_ID}.png)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/install/brevak.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/install/ru/brevak.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/ru/man1)
install(FILES ${BREVAK_QM} DESTINATION ${CMAKE_INSTALL_DATADIR}/brevak/translations)
install(FILES ${PROJECT_SOURCE_DIR}/sources.ini.example ${BREVAK_DATA}/copyright
              ${CMAKE_BINARY_DIR}/install/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/brevak)  # the package's name, not the project's

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brevak)
set(CPACK_PACKAGE_VENDOR "The Brevak developers")
set(CPACK_PACKAGE_CONTACT "The Brevak developers <brevak@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "build a callsign list from radio clubs' member lists")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://github.com/brevak/brevak")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-wine")
# The long description, under the summary line (cpack indents it).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Brevak is a small desktop tool for radio amateurs. Its window holds one
button for each of ten clubs and services; a button fetches that source's
member list over HTTP or HTTPS, cuts the callsigns out of it and appends
them as a section to the list file brevak.ini, which logging programs read
to mark club members.
.
The same imports run without a window (brevak --import SRR,KDR), for
scheduled refreshes from cron or a systemd timer. The hosts of the sources
are set in sources.ini; see brevak(1).")
include(CPack)
