# 64-bit Windows (x86-64) with MinGW-w64: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-win64.cmake
set(QORITA_MINGW_TRIPLET x86_64-w64-mingw32)
set(QORITA_MINGW_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/MinGW.cmake)
