# The Debian package an integrator installs on the order-management server with
# "apt install ./qorita_<version>_<arch>.deb": the program alone, in /usr/bin,
# depending on the runtime libraries it links (the Firebird client, libcurl,
# libxml2, OpenSSL). dpkg-shlibdeps reads those from the binary when it is
# installed (package dpkg-dev); without it the list below is used.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME qorita)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Bridge between an order-management application and a courier's label web service")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "qorita is started by the order-management application once per request: it reads the\n\
call row, the shipment and the courier parameters from the application's Firebird\n\
database, exchanges them with the courier's SOAP label service over HTTPS, archives\n\
every request and response and writes the outcome back.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "qorita developers <qorita@example.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
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
