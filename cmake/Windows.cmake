# The Windows build, cross-compiled with MinGW-w64 (cmake/toolchain-win64.cmake
# or toolchain-win32.cmake) against the static libxml2 and libcurl (Schannel)
# that scripts/windows-libs.sh builds; its prefix comes in
# QORITA_WINDOWS_LIBS. The Firebird client is not linked: qorita.exe loads
# fbclient.dll when it runs (src/common/SharedLibrary), so only the client's
# headers are needed here.
if(NOT QORITA_WINDOWS_LIBS)
  message(FATAL_ERROR "QORITA_WINDOWS_LIBS must name the prefix printed by scripts/windows-libs.sh")
endif()
list(APPEND CMAKE_FIND_ROOT_PATH ${QORITA_WINDOWS_LIBS})
list(APPEND CMAKE_PREFIX_PATH ${QORITA_WINDOWS_LIBS})
find_package(LibXml2 REQUIRED CONFIG)
find_package(CURL REQUIRED CONFIG)

# The Firebird OO API is header-only for its interfaces. The host's headers are
# reached through a folder of their own, so that the rest of /usr/include (the
# host's C library) stays out of the target's include path.
set(QORITA_FIREBIRD_INCLUDE ${PROJECT_BINARY_DIR}/firebird-include)
file(MAKE_DIRECTORY ${QORITA_FIREBIRD_INCLUDE})
foreach(header firebird ibase.h iberror.h)
  file(CREATE_LINK /usr/include/${header} ${QORITA_FIREBIRD_INCLUDE}/${header} SYMBOLIC)
endforeach()

# One exe with nothing beside it: the C and C++ runtimes and winpthreads are
# linked in. Unicode Windows API throughout; nothing of Windows' min/max macros.
add_link_options(-static)
# MinGW's own printf family, with the C99 conversions the messages use (%zu).
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 __USE_MINGW_ANSI_STDIO=1)

# Linux only: the courier stand-in and the tools (cpp-httplib and OpenSSL), the
# benchmarks, the fuzz targets, the Debian package, and every test that needs a
# database or starts Linux processes. tests/windows builds the rest.
set(QORITA_BUILD_BENCH OFF)
