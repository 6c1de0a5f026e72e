#!/usr/bin/env bash
# Installs what is missing, builds, starts a Firebird server on localhost for the
# tests that need one, and runs every test. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/setup.sh
cmake -S . -B build -G Ninja -DQORITA_WERROR=ON >/dev/null
cmake --build build -j"$(nproc)"

root=$PWD
"$root/scripts/fbserver.sh" start
trap '"$root/scripts/fbserver.sh" stop' EXIT

cd build
ctest --output-on-failure -j2 --timeout 600
