#!/usr/bin/env bash
# Installs every Debian package that the build, the tests and the demo need.
# Idempotent and non-interactive: quiet when everything is already installed,
# and it refreshes the package lists only when something is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config
  firebird3.0-server firebird3.0-server-core firebird3.0-utils firebird-dev libfbclient2
  libxml2-dev libcurl4-openssl-dev libssl-dev openssl
  libgtest-dev libgmock-dev libbenchmark-dev libcpp-httplib-dev
  clang libclang-rt-14-dev llvm-14 time procps ccache
  dpkg-dev
  lintian
  # The Windows build (scripts/build-windows.sh) and its tests under Wine:
  # MinGW-w64 with POSIX threads for 64 and 32 bits, Wine to run the tests, zip
  # for the packages. libxml2 and libcurl come from Debian's source packages,
  # which dpkg-dev unpacks.
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  wine wine64 zip
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# The server package asks for the system server's SYSDBA password; with the
# noninteractive front end it asks nobody and picks a random one (or sets none
# when the service does not start at install). We leave it to the package: the
# tests and the benchmarks run a server of their own (scripts/fbserver.sh) and
# never use the system server or its password.
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
