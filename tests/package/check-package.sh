#!/usr/bin/env bash
# What an integrator gets from a build: "cmake --install" puts the program, its
# manual page, its documents and its SQL into the prefix; "cpack -G DEB" makes
# qorita_<version>_<arch>.deb holding the same, depending on the Firebird
# client, libcurl and libxml2 and recommending the embedded engine; Debian's
# lintian finds neither an error nor a warning in it; the binary taken out of
# the package runs, and its manual page says what its --help says.
#   check-package.sh <build folder> <version>
set -euo pipefail
build=$1
version=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

expected="./bin/qorita
./share/doc/qorita/README.md
./share/doc/qorita/changelog.gz
./share/doc/qorita/copyright
./share/man/man1/qorita.1.gz
./share/qorita/example.sql
./share/qorita/schema.sql"

echo "== cmake --install $build --prefix $scratch/prefix"
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
installed=$(cd "$scratch/prefix" && find . ! -type d | sort)
[[ $installed == "$expected" ]] || fail "installed files: $installed"
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
recommends=$(dpkg-deb -f "$deb" Recommends)
[[ $recommends == "firebird3.0-server-core" ]] || fail "Recommends: $recommends"
maintainer=$(dpkg-deb -f "$deb" Maintainer)
[[ $maintainer == *qorita* ]] || fail "the maintainer does not name the project: $maintainer"
files=$(dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
[[ $files == "$(sed 's|^\./|./usr/|' <<<"$expected")" ]] || fail "package files: $files"

echo "== lintian"
command -v lintian >/dev/null || fail "lintian is not installed (scripts/setup.sh installs it)"
lintian --fail-on error,warning --display-level ">=warning" "$deb" >"$scratch/lintian.log" 2>&1 || {
  cat "$scratch/lintian.log"
  fail "lintian"
}
cat "$scratch/lintian.log"

echo "== dpkg-deb -x, then the packaged qorita and its manual page"
dpkg-deb -x "$deb" "$scratch/root"
out=$("$scratch/root/usr/bin/qorita" --version | tr -d '\r')
[[ $out == "qorita $version" ]] || fail "packaged qorita --version: $out"
# The manual page and --help come from one document: every TABX parameter
# --help names is in the page too.
manual=$(MANWIDTH=200 man -l "$scratch/root/usr/share/man/man1/qorita.1.gz" 2>"$scratch/man.err")
[[ ! -s $scratch/man.err ]] || { cat "$scratch/man.err"; fail "man reports problems in qorita.1"; }
parameters=$("$scratch/root/usr/bin/qorita" --help | tr -d '\r' | awk '/^TABX parameters/ {on = 1; next} on && /^  [^ ]/ {print $1}')
[[ -n $parameters ]] || fail "qorita --help lists no TABX parameter"
for parameter in $parameters; do
  grep -q "$parameter" <<<"$manual" || fail "$parameter is in --help but not in the manual page"
done
zcat "$scratch/root/usr/share/doc/qorita/changelog.gz" | head -n1 | grep -q "^qorita ($version)" ||
  fail "changelog.gz does not start with $version"
echo "ok: $(basename "$deb")"
