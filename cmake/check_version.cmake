# SPDX-License-Identifier: GPL-3.0-or-later
# One version everywhere: what `Brevora --version` says, what the crawler
# names itself, the manual page and the AppStream metainfo all carry the
# project's version. Run as a test:
#   cmake -DPROGRAM=... -DJAR=... -DPACKAGING=... -DVERSION=... -P check_version.cmake
execute_process(COMMAND ${PROGRAM} --version OUTPUT_VARIABLE said OUTPUT_STRIP_TRAILING_WHITESPACE
  RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT said STREQUAL "Brevora ${VERSION}")
  message(FATAL_ERROR "--version says \"${said}\" (status ${status}), not \"Brevora ${VERSION}\"")
endif()
file(ARCHIVE_EXTRACT INPUT ${JAR} DESTINATION ${CMAKE_CURRENT_BINARY_DIR}/version-check
  PATTERNS org/tidewire/Version.class)
file(STRINGS ${CMAKE_CURRENT_BINARY_DIR}/version-check/org/tidewire/Version.class crawler
  REGEX "^[0-9]+\\.[0-9.]+$")
if(NOT crawler STREQUAL VERSION)
  message(FATAL_ERROR "the crawler's version is \"${crawler}\", not \"${VERSION}\"")
endif()
file(READ ${PACKAGING}/brevora.1 page)
file(READ ${PACKAGING}/org.tidewire.Brevora.metainfo.xml metainfo)
string(FIND "${page}" "\"Brevora ${VERSION}\"" inPage)
string(FIND "${metainfo}" "<release version=\"${VERSION}\"" inMetainfo)
if(inPage LESS 0 OR inMetainfo LESS 0)
  message(FATAL_ERROR "the manual page or the metainfo does not carry version ${VERSION}")
endif()
