# The Debian package an integrator installs on the order-management server with
# "apt install ./qorita_<version>_<arch>.deb":
#   /usr/bin/qorita
#   /usr/share/man/man1/qorita.1.gz      built from the usage document (tools/manpage)
#   /usr/share/doc/qorita/               copyright, changelog.gz, README.md
#   /usr/share/qorita/                   schema.sql and example.sql
# depending on the runtime libraries it links (the Firebird client, libcurl,
# libxml2, OpenSSL). dpkg-shlibdeps reads those from the binary when it is
# installed (package dpkg-dev); without it the list below is used. The release
# (version and date) is the first entry of packaging/changelog, which must name
# the project's version.
include(GNUInstallDirs)

file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog QORITA_CHANGELOG_HEAD LIMIT_COUNT 1)
if(NOT QORITA_CHANGELOG_HEAD MATCHES "^qorita \\(([^)]+)\\)")
  message(FATAL_ERROR "packaging/changelog: the first line names no qorita version")
endif()
if(NOT CMAKE_MATCH_1 STREQUAL PROJECT_VERSION)
  message(FATAL_ERROR "packaging/changelog starts with ${CMAKE_MATCH_1}, the project is ${PROJECT_VERSION}: "
                      "add an entry for the release")
endif()
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/changelog QORITA_CHANGELOG_TRAILER REGEX "^ -- " LIMIT_COUNT 1)
if(NOT QORITA_CHANGELOG_TRAILER MATCHES ", ([0-9]+ [A-Z][a-z][a-z] [0-9][0-9][0-9][0-9]) ")
  message(FATAL_ERROR "packaging/changelog: the first entry has no date")
endif()
set(QORITA_RELEASE_DATE ${CMAKE_MATCH_1})

# The manual page runs a program built here: not when cross-compiling.
if(NOT CMAKE_CROSSCOMPILING)
  add_subdirectory(tools/manpage)
endif()

# Debian wants the changelog of a native package as changelog.gz, compressed
# without name and time stamp.
set(QORITA_CHANGELOG_GZ ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(
  OUTPUT ${QORITA_CHANGELOG_GZ}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
  COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${QORITA_CHANGELOG_GZ}
  DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
  COMMENT "changelog.gz")
add_custom_target(qorita_changelog ALL DEPENDS ${QORITA_CHANGELOG_GZ})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${QORITA_CHANGELOG_GZ} ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/sql/schema.sql ${PROJECT_SOURCE_DIR}/sql/example.sql
        DESTINATION ${CMAKE_INSTALL_DATADIR}/qorita)

set(QORITA_PACKAGE_MAINTAINER "The qorita project <qorita@example.invalid>"
    CACHE STRING "Maintainer field of the Debian package: the project and the address that answers for it")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qorita)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "bridge between order management and a courier's label service")
# Lines of at most 72 characters: Debian shows them indented by one.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "qorita is started by an order-management application once per request:\n\
it reads the call row, the shipment and the courier parameters from the\n\
application's Firebird database, exchanges them with the courier's SOAP\n\
label service over HTTPS, archives every request and response, and\n\
writes the outcome back. Its -Verifica command checks a deployment.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QORITA_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# A plain-path database opens through the embedded engine, which this package
# of Firebird provides; a database reached through a server needs only the
# client.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS firebird3.0-server-core)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# qorita_<version>_<arch>.deb
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
find_program(QORITA_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(QORITA_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1, libfbclient2, libcurl4, libxml2, libssl3")
endif()
include(CPack)
