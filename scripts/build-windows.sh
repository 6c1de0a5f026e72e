#!/usr/bin/env bash
# Cross-builds qorita.exe for 64-bit and 32-bit Windows with MinGW-w64 and
# writes build-windows/qorita-<version>-win64.zip and -win32.zip: the exe (the
# C/C++ runtime, libxml2 and libcurl linked in, no DLL beside it), a Windows
# readme and the licence notices of every third-party part inside.
#
#   scripts/build-windows.sh [win64|win32 ...]     (default: both)
#
# libxml2 and libcurl are built once per source version and target into
# ${XDG_CACHE_HOME:-$HOME/.cache}/qorita/ (scripts/windows-libs.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(win64 win32)

./scripts/setup.sh
version=$(sed -nE 's/^project\(qorita VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
out=$root/build-windows
mkdir -p "$out"

for target in "${targets[@]}"; do
  case $target in
  win64) triplet=x86_64-w64-mingw32 bits=64 runtime=mingw-w64-x86-64-dev ;;
  win32) triplet=i686-w64-mingw32 bits=32 runtime=mingw-w64-i686-dev ;;
  *)
    echo "unknown target $target (win64 or win32)" >&2
    exit 2
    ;;
  esac
  libs=$(./scripts/windows-libs.sh "$target")
  build=$out/$target
  echo "=== qorita.exe for $target"
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$target.cmake" \
    -DQORITA_WINDOWS_LIBS="$libs" -DCMAKE_BUILD_TYPE=Release -DQORITA_WERROR=ON -DQORITA_BUILD_TESTS=OFF >/dev/null
  cmake --build "$build" -j"$(nproc)" --target qorita

  stage=$out/stage-$target/qorita-$version-$target
  rm -rf "$out/stage-$target"
  mkdir -p "$stage/licenses"
  "$triplet-strip" -o "$stage/qorita.exe" "$build/qorita.exe"
  # Windows text files: CR LF.
  crlf() { sed -e 's/\r$//' -e 's/$/\r/' "$1" >"$2"; }
  sed -e "s/@VERSION@/$version/" -e "s/@BITS@/$bits/" packaging/windows/README.txt >"$stage/README.tmp"
  crlf "$stage/README.tmp" "$stage/README.txt"
  rm "$stage/README.tmp"
  crlf "$libs/licenses/libxml2.txt" "$stage/licenses/libxml2.txt"
  crlf "$libs/licenses/libxml2-debian.txt" "$stage/licenses/libxml2-debian-copyright.txt"
  crlf "$libs/licenses/curl.txt" "$stage/licenses/curl.txt"
  crlf "$libs/licenses/curl-debian.txt" "$stage/licenses/curl-debian-copyright.txt"
  crlf "/usr/share/doc/$runtime/copyright" "$stage/licenses/mingw-w64-runtime-and-winpthreads.txt"
  crlf /usr/share/doc/gcc-mingw-w64-base/copyright "$stage/licenses/gcc-runtime-libgcc-libstdc++.txt"
  crlf "$libs/versions" "$stage/licenses/versions.txt"

  zip_file=$out/qorita-$version-$target.zip
  rm -f "$zip_file"
  (cd "$out/stage-$target" && zip -q -X -r "$zip_file" "qorita-$version-$target")
  echo "$zip_file"
done
