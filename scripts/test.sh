#!/usr/bin/env bash
# Installs what is missing, builds, starts the tests' own Firebird server
# (scripts/fbserver.sh: build/fbserver/, a free loopback port), and runs every
# test; then the same unit and integration tests once more under
# AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer (build-asan/),
# and the fuzz targets for a bounded time (build-fuzz/). After the Linux tests,
# the Windows build (build-win64/) and its tests under Wine. Every stage runs even
# when an earlier one failed; the script exits non-zero when any of them failed.
#
#   QORITA_FUZZ_SECONDS   time per fuzz target (default 30; two run at a time;
#                         scripts/fuzz.sh SECONDS runs longer sessions)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
fuzz_seconds=${QORITA_FUZZ_SECONDS:-30}
# On a CI machine the compiler cache starts empty and every compile would miss:
# its own hashing and preprocessing would only add to the two builds.
if [[ ${CI:-} == true ]]; then
  export CCACHE_DISABLE=1
fi

./scripts/setup.sh || exit 1

results=()
failed=0
started=$SECONDS
stage() {
  local name=$1
  shift
  local begin=$SECONDS
  echo "=== $name"
  if "$@"; then
    results+=("$name: ok ($((SECONDS - begin))s)")
  else
    results+=("$name: FAILED ($((SECONDS - begin))s)")
    failed=1
  fi
}

build() {
  cmake -S . -B build -G Ninja -DQORITA_WERROR=ON >/dev/null &&
    cmake --build build -j"$(nproc)"
}

# Each ctest run's output is kept, so the summary can count every test run.
ctest_logs=()
tests() {
  ctest_logs+=("$root/build/ctest.log")
  (cd build && ctest --output-on-failure -j3 --timeout 600 | tee "$root/build/ctest.log"; exit "${PIPESTATUS[0]}")
}

# The sanitizer pass. Its own build with the program, the sandbox and the test
# programs that run there; LSan reports leaks at the exit of every test process
# and of the qorita and qorita-sandbox processes the tests start. Left out for
# time only: the "reliability" label (several minutes of concurrent calls and broken
# couriers), which runs in the normal pass above. The "package" label (the install
# rules and the Debian package) concerns the normal build only. tests/lsan.supp
# names the leaks of the Firebird client and engine that are theirs and not ours.
asan_targets=(qorita qorita-sandbox common_tests xml_tests messages_tests soap_tests data_tests sandbox_tests app_tests)
# Every report also goes to a file in build-asan/sanitizer-reports: a report
# from a process whose exit code no test looks at (the sandbox courier) still
# fails the stage.
reports=$root/build-asan/sanitizer-reports
sanitized() {
  ASAN_OPTIONS=detect_leaks=1:log_path=$reports/asan \
  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan \
  LSAN_OPTIONS=suppressions=$root/tests/lsan.supp:print_suppressions=0 \
    "$@"
}
if symbolizer=$(command -v llvm-symbolizer || command -v llvm-symbolizer-14); then
  export ASAN_SYMBOLIZER_PATH=$symbolizer
fi

# -O1 with line tables only: half the compile time of -O2 -g, and still readable
# stacks. _GLIBCXX_ASSERTIONS adds the standard library's bounds checks.
asan_build() {
  cmake -S . -B build-asan -G Ninja -DQORITA_SANITIZE=ON -DQORITA_BUILD_BENCH=OFF -DQORITA_WERROR=ON \
    -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1 -D_GLIBCXX_ASSERTIONS" "-DCMAKE_C_FLAGS_DEBUG=-O1 -g1" \
    >/dev/null &&
    mkdir -p "$reports" && rm -f "$reports"/* &&
    sanitized cmake --build build-asan -j2 --target "${asan_targets[@]}" &&
    no_reports
}

no_reports() {
  local files=("$reports"/*)
  [[ -e ${files[0]} ]] || return 0
  for f in "${files[@]}"; do
    echo "--- $f"
    cat "$f"
  done
  return 1
}

asan_tests() {
  # The reliability programs are not built here: their discovery placeholders go too.
  rm -f "$reports"/*
  local status=0
  ctest_logs+=("$root/build-asan/ctest.log")
  (cd build-asan && sanitized ctest --output-on-failure -j3 --timeout 600 -LE 'reliability|package' \
    -E '_NOT_BUILT$|^data_tests_through_server$' | tee "$root/build-asan/ctest.log"; exit "${PIPESTATUS[0]}") ||
    status=1
  # The data tests through the server keep AddressSanitizer and
  # UndefinedBehaviorSanitizer but not the leak check: LeakSanitizer's
  # stop-the-world tracer crashes (signal 11) on the Firebird client's
  # remote-protocol threads at exit. The same tests run embedded, leak check
  # included, in the run above.
  ctest_logs+=("$root/build-asan/ctest-server.log")
  (cd build-asan && sanitized env ASAN_OPTIONS=detect_leaks=0:log_path=$reports/asan \
    ctest --output-on-failure --timeout 600 -R '^data_tests_through_server$' |
    tee "$root/build-asan/ctest-server.log"; exit "${PIPESTATUS[0]}") || status=1
  no_reports || status=1
  return $status
}

fuzz() {
  ./scripts/fuzz.sh "$fuzz_seconds"
}

# The Windows build (64-bit) and its tests under Wine: the libraries come from
# the cache of scripts/windows-libs.sh (built there on the first run), Wine
# keeps its own prefix in build-win64/. The HTTPS tests talk to the sandbox
# courier of the Linux build, started here on a free loopback port.
windows() {
  local libs
  libs=$(./scripts/windows-libs.sh win64) || return 1
  cmake -S . -B build-win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-win64.cmake" \
    -DQORITA_WINDOWS_LIBS="$libs" -DQORITA_WERROR=ON -DCMAKE_CROSSCOMPILING_EMULATOR=/usr/lib/wine/wine64 \
    >/dev/null || return 1
  WINEPREFIX=$root/build-win64/wineprefix WINEDEBUG=-all cmake --build build-win64 -j"$(nproc)" || return 1
  local out=$root/build-win64/sandbox.out line status=0
  "$root/build/qorita-sandbox" >"$out" 2>&1 &
  local sandbox=$!
  for _ in $(seq 100); do
    grep -q '^wsdl=' "$out" && break
    sleep 0.1
  done
  line=$(grep '^wsdl=' "$out") || {
    cat "$out"
    kill "$sandbox"
    return 1
  }
  ctest_logs+=("$root/build-win64/ctest.log")
  (cd build-win64 && WINEPREFIX=$root/build-win64/wineprefix WINEDEBUG=-all \
    QORITA_TEST_SANDBOX_PORT=$(sed -E 's|.*://[^:]+:([0-9]+)/.*|\1|' <<<"$line") \
    QORITA_TEST_SANDBOX_CA=${line##* ca=} \
    ctest --output-on-failure -j2 --timeout 300 | tee "$root/build-win64/ctest.log"; exit "${PIPESTATUS[0]}") ||
    status=1
  kill "$sandbox"
  wait "$sandbox" 2>/dev/null
  return $status
}

stage build build
if [[ $failed -ne 0 ]]; then
  printf '%s\n' "${results[@]}"
  exit 1
fi
# The tests' own Firebird server (build/fbserver/, a free loopback port). Every
# test process, and the program under test, learns its address and keeps its
# Firebird lock files (apart from the server's) and log in there too, so two
# clones testing at once share nothing, and a Firebird server the machine runs
# for others is never touched.
"$root/scripts/fbserver.sh" start || exit 1
trap '"$root/scripts/fbserver.sh" stop' EXIT
eval "$("$root/scripts/fbserver.sh" env)" || exit 1
stage tests tests
stage "windows build and tests (wine)" windows
stage "sanitizer build" asan_build
stage "sanitizer tests" asan_tests
stage "fuzz (${fuzz_seconds}s per target)" fuzz

echo "=== summary"
printf '  %s\n' "${results[@]}"
total=$((SECONDS - started))
# ctest closes with "N% tests passed, F tests failed out of T" per run.
passed=0
failed_tests=0
for log in "${ctest_logs[@]}"; do
  line=$(grep -E 'tests failed out of [0-9]+' "$log" 2>/dev/null | tail -n1)
  [[ -n $line ]] || continue
  f=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
  t=$(sed -E 's/.* tests failed out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + t - f))
  failed_tests=$((failed_tests + f))
done
if [[ $failed -ne 0 ]]; then
  echo "test.sh: FAILED after $((total / 60))m$((total % 60))s"
  echo "tests: $passed passed, $failed_tests failed"
  exit 1
fi
echo "test.sh: all passed in $((total / 60))m$((total % 60))s (tests, Windows tests, sanitizer tests, fuzzing)"
echo "tests: $passed passed, $failed_tests failed"
