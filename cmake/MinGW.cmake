# Cross-compiling for Windows with Debian's MinGW-w64 toolchain (the posix
# thread model, for std::thread and std::mutex). Included by the two toolchain
# files, which set QORITA_MINGW_TRIPLET first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${QORITA_MINGW_PROCESSOR})
set(CMAKE_C_COMPILER ${QORITA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${QORITA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${QORITA_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${QORITA_MINGW_TRIPLET})
# Programs of the build machine; libraries and headers of the target only (the
# prefixes of the cross-built libxml2 and libcurl come in CMAKE_PREFIX_PATH,
# which find_package searches under these rules too).
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
