#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang into build-fuzz/ and runs each
# one for a bounded time (two at a time, QORITA_FUZZ_JOBS), starting from the
# corpus committed in fuzz/corpus/ and the dictionary fuzz/xml.dict. The run
# works on a temporary copy of the corpus, so the repository does not grow; a crash, a sanitizer report, a leak or a time-out makes it fail, and
# the input that did it is kept in build-fuzz/findings/.
#
#   scripts/fuzz.sh [seconds per target]   (default 30)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
targets=(fuzz_addparcel_response fuzz_cwdbsn_deletesped_response fuzz_soap_answer fuzz_service_description)

CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DQORITA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j2

root=$PWD
findings=$root/build-fuzz/findings
mkdir -p "$findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Readable stacks in the reports when llvm-symbolizer is there.
if symbolizer=$(command -v llvm-symbolizer || command -v llvm-symbolizer-14); then
  export ASAN_SYMBOLIZER_PATH=$symbolizer
fi
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# Two targets at a time: each fuzzer uses one core.
jobs=${QORITA_FUZZ_JOBS:-2}

run_target() {
  local target=$1 corpus=$work/$1
  mkdir -p "$corpus" "$work/tmp-$target"
  cp -r "fuzz/corpus/$target/." "$corpus/"
  # The scratch files of a target go to its own folder, removed with the copy.
  TMPDIR=$work/tmp-$target "build-fuzz/fuzz/$target" "$corpus" \
    -dict=fuzz/xml.dict -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -max_len=65536 \
    -artifact_prefix="$findings/$target-" -print_final_stats=1 >"$work/$target.log" 2>&1
}

declare -A pids
for target in "${targets[@]}"; do
  while [[ $(jobs -rp | wc -l) -ge $jobs ]]; do
    wait -n || true
  done
  echo "== $target: ${seconds}s from $(ls "fuzz/corpus/$target" | wc -l) seeds"
  run_target "$target" &
  pids[$target]=$!
done

failed=()
for target in "${targets[@]}"; do
  if wait "${pids[$target]}"; then
    echo "$target: $(grep -E '^Done' "$work/$target.log"), $(grep -c . <(ls "$work/$target")) corpus files"
  else
    failed+=("$target")
    echo "--- $target"
    tail -n 80 "$work/$target.log"
  fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
  echo "fuzz: FAILED: ${failed[*]} (inputs in build-fuzz/findings/)"
  exit 1
fi
echo "fuzz: ${#targets[@]} targets, ${seconds}s each, no finding"
