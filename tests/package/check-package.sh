#!/usr/bin/env bash
# What an integrator gets from a build: "cmake --install" puts the program and
# nothing else into the prefix; "cpack -G DEB" makes qorita_<version>_<arch>.deb
# holding only /usr/bin/qorita, depending on the Firebird client, libcurl and
# libxml2; the binary taken out of the package runs.
#   check-package.sh <build folder> <version>
set -euo pipefail
build=$1
version=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

echo "== cmake --install $build --prefix $scratch/prefix"
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
installed=$(cd "$scratch/prefix" && find . ! -type d | sort)
[[ $installed == "./bin/qorita" ]] || fail "installed files: $installed"
out=$("$scratch/prefix/bin/qorita" --version | tr -d '\r')
[[ $out == "qorita $version" ]] || fail "installed qorita --version: $out"

echo "== cpack -G DEB"
(cd "$build" && cpack -G DEB -B "$scratch/package" >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; fail "cpack"; }
deb=$scratch/package/qorita_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || fail "no $(basename "$deb") among: $(ls "$scratch/package")"
depends=$(dpkg-deb -f "$deb" Depends)
echo "   Depends: $depends"
for library in libfbclient2 libcurl4 libxml2; do
  grep -Eq "(^|[ ,])$library( |,|$)" <<<"$depends" || fail "$library missing from Depends: $depends"
done
files=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $6}')
[[ $files == "./usr/bin/qorita" ]] || fail "package files: $files"

echo "== dpkg-deb -x, then the packaged qorita --version"
dpkg-deb -x "$deb" "$scratch/root"
out=$("$scratch/root/usr/bin/qorita" --version | tr -d '\r')
[[ $out == "qorita $version" ]] || fail "packaged qorita --version: $out"
echo "ok: $(basename "$deb")"
