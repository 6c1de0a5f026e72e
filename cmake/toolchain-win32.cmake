# 32-bit Windows (x86) with MinGW-w64: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-win32.cmake
set(QORITA_MINGW_TRIPLET i686-w64-mingw32)
set(QORITA_MINGW_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)
