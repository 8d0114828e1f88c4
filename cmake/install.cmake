# SPDX-License-Identifier: GPL-3.0-or-later
# Installing: the program and what it finds beside itself in lib/brevora (its
# install folder; the marker ".installed" keeps its data in the user's data
# folder even where the folder is writable), the command brevora linked into
# bin, and the desktop entry, icons, AppStream metainfo and manual page under
# share. `cpack -G DEB` makes a Debian package of it.
set(CMAKE_INSTALL_DOCDIR share/doc/brevora)
include(GNUInstallDirs)
set(BREVORA_INSTALL_FOLDER lib/brevora)

install(TARGETS Brevora brevora-cmd RUNTIME DESTINATION ${BREVORA_INSTALL_FOLDER})
install(FILES ${BREVORA_PROGRAM_FOLDER}/Brevora.jar ${PROJECT_SOURCE_DIR}/res/Channels.txt
  DESTINATION ${BREVORA_INSTALL_FOLDER})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/installed DESTINATION ${BREVORA_INSTALL_FOLDER}
  RENAME .installed)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/res/help ${PROJECT_SOURCE_DIR}/res/icons
  ${PROJECT_SOURCE_DIR}/res/feeds DESTINATION ${BREVORA_INSTALL_FOLDER})
# The crawler's libraries are the system's (Debian's /usr/share/java), linked
# under the names its class path and manifest give them; and the command.
install(CODE "
  set(folder \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${BREVORA_INSTALL_FOLDER}\")
  # Relative links, as Debian's policy asks for links within /usr.
  file(RELATIVE_PATH jsoup \"\${CMAKE_INSTALL_PREFIX}/${BREVORA_INSTALL_FOLDER}\" \"${JSOUP_JAR}\")
  file(RELATIVE_PATH chardet \"\${CMAKE_INSTALL_PREFIX}/${BREVORA_INSTALL_FOLDER}\" \"${CHARDET_JAR}\")
  file(CREATE_LINK \"\${jsoup}\" \"\${folder}/htmlparser.jar\" SYMBOLIC)
  file(CREATE_LINK \"\${chardet}\" \"\${folder}/juniversalchardet.jar\" SYMBOLIC)
  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
  file(CREATE_LINK \"../${BREVORA_INSTALL_FOLDER}/Brevora\"
       \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/brevora\" SYMBOLIC)
")

# The manual page and the metainfo carry the project's version; the page is
# installed gzipped, as Debian's policy asks.
configure_file(${PROJECT_SOURCE_DIR}/packaging/org.tidewire.Brevora.metainfo.xml.in
  ${CMAKE_BINARY_DIR}/packaging/org.tidewire.Brevora.metainfo.xml @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/packaging/brevora.1.in ${CMAKE_BINARY_DIR}/packaging/brevora.1
  @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/brevora.1.gz
  COMMAND gzip -9n -c ${CMAKE_BINARY_DIR}/packaging/brevora.1 > ${CMAKE_BINARY_DIR}/packaging/brevora.1.gz
  DEPENDS ${CMAKE_BINARY_DIR}/packaging/brevora.1)
add_custom_target(manual_page ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/brevora.1.gz)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
  DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME brevora)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/org.tidewire.Brevora.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/packaging/org.tidewire.Brevora.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_BINARY_DIR}/packaging/brevora.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${PROJECT_SOURCE_DIR}/res/app/brevora-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME org.tidewire.Brevora.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/res/app/brevora.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps RENAME org.tidewire.Brevora.svg)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/packaging/changelog > ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog)
add_custom_target(package_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/packaging/brevora.service
  ${PROJECT_SOURCE_DIR}/packaging/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_PACKAGE_NAME brevora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Brevora developers <brevora@tidewire.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turns web news into spoken audio on a schedule")
# The long description, in lines of under 80 characters (the synopsis is the summary's).
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Brevora is for listeners who would rather hear the news than read it. On the
days and at the times you choose it reads the news sites and feeds you pick,
finds the story in every page, speaks each article into an MP3 or WAV file
with a speech synthesizer, and publishes the files with playlists, web pages
and podcast feeds, to a folder of your own or shared on your home network.
It runs with a window and a tray icon, or without a window on a server.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Beyond the shared libraries: what the crawler and the program load at run time.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "default-jre-headless | java17-runtime-headless, libjsoup-java, libjuniversalchardet-java, espeak-ng-data, libmp3lame0")
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
