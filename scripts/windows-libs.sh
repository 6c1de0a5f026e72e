#!/usr/bin/env bash
# Cross-builds the static libxml2 and libcurl (Schannel) that qorita.exe links,
# from Debian's source packages, once per source version and target:
#
#   scripts/windows-libs.sh win64|win32     prints the prefix to give CMake
#
# Everything lives under ${XDG_CACHE_HOME:-$HOME/.cache}/qorita/:
#   apt/                          a private apt state with deb-src entries made
#                                 from the machine's own sources; the machine's
#                                 apt set-up is never touched
#   sources/<package>_<version>/  the downloaded source package, unpacked
#   <triplet>/<package>-<version>/  the installed static library
#   <triplet>/prefix-<xml>-<curl>/  both together, the prefix printed
# A warm cache downloads and compiles nothing. Progress goes to standard error.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

case ${1:-} in
win64) triplet=x86_64-w64-mingw32 ;;
win32) triplet=i686-w64-mingw32 ;;
*)
  echo "usage: $0 win64|win32" >&2
  exit 2
  ;;
esac
target=$1
cache=${XDG_CACHE_HOME:-$HOME/.cache}/qorita
apt_dir=$cache/apt
say() { echo "windows-libs: $*" >&2; }

apt_options=(
  -o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt_dir/sources"
  -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
  -o Debug::NoLocking=true
)
# As root apt downloads as the user _apt, who cannot write into root's cache.
[[ $(id -u) -ne 0 ]] || apt_options+=(-o APT::Sandbox::User=root)

# The source lists are fetched once; later runs read the versions from them.
private_apt() {
  [[ -e $apt_dir/ready ]] && return 0
  say "private source lists in $apt_dir"
  rm -rf "$apt_dir"
  mkdir -p "$apt_dir/sources" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  local f
  for f in /etc/apt/sources.list.d/*.sources; do
    [[ -e $f ]] || continue
    sed -E 's/^Types:.*/Types: deb-src/' "$f" >"$apt_dir/sources/$(basename "$f")"
  done
  apt-get "${apt_options[@]}" -qq update >&2
  touch "$apt_dir/ready"
}

# The newest version the lists offer (a security update over the release).
source_version() {
  local newest='' v
  for v in $(apt-cache "${apt_options[@]}" showsrc "$1" | sed -n 's/^Version: //p'); do
    if [[ -z $newest ]] || dpkg --compare-versions "$v" gt "$newest"; then newest=$v; fi
  done
  echo "$newest"
}

# Unpacks the source package (Debian's patches applied) into sources/.
fetch_source() {
  local package=$1 version=$2
  local folder=$cache/sources/${package}_$version
  if [[ ! -e $folder/ready ]]; then
    say "downloading the source package $package $version"
    rm -rf "$folder"
    mkdir -p "$folder"
    (cd "$folder" && apt-get "${apt_options[@]}" -qq source --download-only "$package=$version" >&2 &&
      dpkg-source --no-check -x ./*.dsc tree >/dev/null)
    touch "$folder/ready"
  fi
  echo "$folder/tree"
}

cmake_library() {
  local name=$1 version=$2 tree=$3
  shift 3
  local prefix=$cache/$triplet/$name-$version
  if [[ ! -e $prefix/ready ]]; then
    say "building $name $version for $triplet"
    local work=$cache/$triplet/build-$name-$version
    rm -rf "$work" "$prefix"
    mkdir -p "$cache/$triplet"
    cmake -S "$tree" -B "$work" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$target.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >"$work.log" 2>&1 &&
      cmake --build "$work" -j"$(nproc)" >>"$work.log" 2>&1 &&
      cmake --install "$work" >>"$work.log" 2>&1 || {
      tail -n 40 "$work.log" >&2
      say "building $name failed; the whole log is $work.log"
      exit 1
    }
    rm -rf "$work"
    touch "$prefix/ready"
  fi
  echo "$prefix"
}

private_apt
xml_version=$(source_version libxml2)
curl_version=$(source_version curl)
[[ -n $xml_version && -n $curl_version ]] || {
  say "no source package of libxml2 or curl in the private lists ($apt_dir); remove it to fetch them again"
  exit 1
}
combined=$cache/$triplet/prefix-libxml2-$xml_version-curl-$curl_version
if [[ -e $combined/ready ]]; then
  echo "$combined"
  exit 0
fi

# Only what a client that parses documents from memory needs: no network code
# of its own (qorita never lets it reach the network), no compression, no
# iconv (the documents are UTF-8).
xml_prefix=$(cmake_library libxml2 "$xml_version" "$(fetch_source libxml2 "$xml_version")" \
  -DLIBXML2_WITH_PYTHON=OFF -DLIBXML2_WITH_LZMA=OFF -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_ZLIB=OFF \
  -DLIBXML2_WITH_TESTS=OFF -DLIBXML2_WITH_PROGRAMS=OFF -DLIBXML2_WITH_HTTP=OFF -DLIBXML2_WITH_FTP=OFF)
# HTTP(S) only, TLS through Windows' own Schannel: the system's trusted roots,
# certificate policies and revocation checks.
curl_prefix=$(cmake_library curl "$curl_version" "$(fetch_source curl "$curl_version")" \
  -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DHTTP_ONLY=ON -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF \
  -DCURL_ZLIB=OFF -DCURL_BROTLI=OFF -DCURL_ZSTD=OFF -DUSE_NGHTTP2=OFF -DUSE_LIBIDN2=OFF -DCURL_USE_LIBSSH2=OFF \
  -DCURL_USE_LIBPSL=OFF -DENABLE_MANUAL=OFF -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none)

rm -rf "$combined"
mkdir -p "$combined"
cp -a "$xml_prefix/." "$curl_prefix/." "$combined/"
# The licence texts that travel with the program.
mkdir -p "$combined/licenses"
cp "$cache/sources/libxml2_$xml_version/tree/Copyright" "$combined/licenses/libxml2.txt"
cp "$cache/sources/libxml2_$xml_version/tree/debian/copyright" "$combined/licenses/libxml2-debian.txt"
cp "$cache/sources/curl_$curl_version/tree/COPYING" "$combined/licenses/curl.txt"
cp "$cache/sources/curl_$curl_version/tree/debian/copyright" "$combined/licenses/curl-debian.txt"
echo "libxml2 $xml_version" >"$combined/versions"
echo "curl $curl_version" >>"$combined/versions"
touch "$combined/ready"
echo "$combined"
