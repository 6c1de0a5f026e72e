#!/bin/sh
# Whole Crea runs of the real program beside the floor of their input and output
# (the shared floor program: the same database work, the same two HTTPS requests
# and the two archive files the cheapest way the libraries allow, no XML), against
# the sandbox courier on loopback: 1, 100 and 1000 parcels, labels of 4 KB and of
# 64 KB, the database embedded and through the tests' own Firebird server
# (scripts/fbserver.sh, on a free loopback port).
#   bench/crea.sh BUILD_DIR [RESULTS_FILE]
# Each database gets one warm-up run of the program, whose archived request gives
# the envelope the floor posts (bench_crea_envelope); then program and floor run
# in pairs, alternating which goes first, each on a fresh shipment. A figure is
# the median of the pairwise ratios. Prints a table against the targets; with
# RESULTS_FILE also writes it there with the machine and its load.
#
# Environment:
#   QORITA_TEST_FB_SERVER  another server to use ("127.0.0.1/PORT"); without it
#                          the one of scripts/fbserver.sh, started when needed
#   QORITA_BENCH_PAIRS     pairs per figure (default 11)
#   QORITA_BENCH_MODES     "embedded server" (default), or one of them
#   QORITA_BENCH_LABELS    "4096 65536" (default), or one of them
#   QORITA_BENCH_PARCELS   "1 100 1000" (default), or some of them
#   QORITA_BENCH_SHAPE     inherited (default: the payload inherits the answer
#                          wrapper's default namespace) or undeclared (xmlns="")
#   QORITA_BENCH_TRANSFER  length (default: answers whole with Content-Length) or chunked
#   QORITA_BENCH_LABEL_KIND ZPL (default) or PDF
#   QORITA_BENCH_PROGRAM   another build of the program to measure (default BUILD_DIR/qorita)
#   QORITA_BENCH_FLOOR     a built floor program; without it the floor is built from
#                          a copy of QORITA_BENCH_FLOOR_SOURCE (floor.cpp, build_floor.sh;
#                          default ../shared/bench beside the clone)
set -eu
BUILD_DIR="$1"
RESULTS="${2:-}"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
QORITA="${QORITA_BENCH_PROGRAM:-$BUILD_DIR/qorita}"
ENVELOPE="$BUILD_DIR/bench/bench_crea_envelope"
EMPTY="$BUILD_DIR/bench/bench_startup_empty"
SANDBOX="$BUILD_DIR/qorita-sandbox"
PAIRS="${QORITA_BENCH_PAIRS:-11}"
MODES="${QORITA_BENCH_MODES:-embedded server}"
LABELS="${QORITA_BENCH_LABELS:-4096 65536}"
PARCELS="${QORITA_BENCH_PARCELS:-1 100 1000}"
SHAPE="${QORITA_BENCH_SHAPE:-inherited}"
TRANSFER="${QORITA_BENCH_TRANSFER:-length}"
LABEL_KIND="${QORITA_BENCH_LABEL_KIND:-ZPL}"
for program in "$QORITA" "$ENVELOPE" "$EMPTY" "$SANDBOX"; do
  [ -x "$program" ] || { echo "crea.sh: $program is missing" >&2; exit 1; }
done
command -v isql-fb >/dev/null || { echo "crea.sh: isql-fb is missing" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "crea.sh: /usr/bin/time is missing (package time)" >&2; exit 1; }

WORK="$(mktemp -d "${TMPDIR:-/tmp}/qorita-crea.XXXXXX")"
SANDBOX_PIDS=""
STARTED_SERVER=""
cleanup() {
  for pid in $SANDBOX_PIDS; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  if [ -n "$STARTED_SERVER" ]; then
    "$ROOT/scripts/fbserver.sh" stop >/dev/null 2>&1 || true
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' HUP INT PIPE TERM

if [ -n "${QORITA_BENCH_FLOOR:-}" ]; then
  FLOOR="$QORITA_BENCH_FLOOR"
else
  source_dir="${QORITA_BENCH_FLOOR_SOURCE:-$ROOT/../shared/bench}"
  [ -f "$source_dir/floor.cpp" ] || {
    echo "crea.sh: no floor.cpp in $source_dir (set QORITA_BENCH_FLOOR_SOURCE or QORITA_BENCH_FLOOR)" >&2
    exit 1
  }
  # The source folder may be read-only: the floor is built in a copy.
  cp -r "$source_dir" "$WORK/floor-src"
  sh "$WORK/floor-src/build_floor.sh" >"$WORK/floor-build.out" 2>&1 || { cat "$WORK/floor-build.out" >&2; exit 1; }
  FLOOR="$WORK/floor-src/floor"
fi

. "$ROOT/bench/common.sh"

TABLE="$WORK/table"
: >"$TABLE"
# figure | measured | target | met?
row() { printf '| %s | %s | %s | %s |\n' "$1" "$2" "$3" "$4" >>"$TABLE"; }
# yes when $1 <= $2
le() { awk -v a="$1" -v b="$2" 'BEGIN { print (a + 0 <= b + 0) ? "yes" : "NO" }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
load() { cut -d ' ' -f 1-3 /proc/loadavg; }
LOAD_START="$(load)"

# Runs "$@" once; prints its wall time in ms, its CPU time (user + system) in ms
# and its peak resident memory in KB. A failed run stops the benchmark.
run_once() {
  start=$(now_us)
  if ! /usr/bin/time -f '%U %S %M' -o "$WORK/usage" "$@" >"$WORK/run.out" 2>&1; then
    echo "crea.sh: failed: $*" >&2
    cat "$WORK/run.out" >&2
    exit 1
  fi
  end=$(now_us)
  awk -v d=$((end - start)) '{ printf "%.3f %.0f %d\n", d / 1000, ($1 + $2) * 1000, $3 }' "$WORK/usage"
}

# ---- Whole runs: program and floor interleaved on identical shipments.
if echo "$MODES" | grep -q server; then
  if [ -n "${QORITA_TEST_FB_SERVER:-}" ]; then
    SERVER="$QORITA_TEST_FB_SERVER"
  # The tests' own server (scripts/fbserver.sh), started here unless it runs.
  elif ! SERVER="$("$ROOT/scripts/fbserver.sh" address 2>/dev/null)"; then
    "$ROOT/scripts/fbserver.sh" start >/dev/null
    STARTED_SERVER=yes
    SERVER="$("$ROOT/scripts/fbserver.sh" address)"
  fi
  # The tests' server does not take the program's built-in password.
  [ -n "${QORITA_TEST_FB_SERVER:-}" ] || export ISC_PASSWORD="$("$ROOT/scripts/fbserver.sh" password)"
fi
for size in $LABELS; do
  start_sandbox "$WORK/sandbox-$size" --label-size "$size" --answer-shape "$SHAPE" --transfer "$TRANSFER"
  echo "Crea runs with $size-byte $LABEL_KIND labels, $SHAPE payload namespace, $TRANSFER transfer, against $WSDL"
  for mode in $MODES; do
    for parcels in $PARCELS; do
      key="${mode}_${size}_$parcels"
      file="$WORK/$key.fdb"
      archive="$WORK/archive-$key"
      make_database "$file" "$parcels" $((2 * PAIRS + 1)) "$archive"
      location="$file"
      [ "$mode" = server ] && location="$SERVER:$file"
      # The warm-up run: its request is the envelope every floor run posts.
      run_once "$QORITA" -Crea "DatabaseName=$location" "ChiamataId=1" >/dev/null
      request=$(find "$archive" -name '*AddParcelRequest.xml' | head -n 1)
      "$ENVELOPE" "$request" sandbox "https://sandbox.qorita.invalid/" "$WORK/envelope-$key.xml"
      : >"$WORK/q" ; : >"$WORK/f" ; : >"$WORK/r"
      call=2
      for pair in $(seq 1 "$PAIRS"); do
        # Alternating which goes first evens out a trend in the machine's load.
        if [ $((pair % 2)) -eq 1 ]; then
          qline=$(run_once "$QORITA" -Crea "DatabaseName=$location" "ChiamataId=$call")
          fline=$(run_once "$FLOOR" "$location" $((call + 1)) "$WORK/envelope-$key.xml" "$request")
        else
          fline=$(run_once "$FLOOR" "$location" "$call" "$WORK/envelope-$key.xml" "$request")
          qline=$(run_once "$QORITA" -Crea "DatabaseName=$location" "ChiamataId=$((call + 1))")
        fi
        echo "$qline" >>"$WORK/q" ; echo "$fline" >>"$WORK/f"
        ratio "${qline%% *}" "${fline%% *}" >>"$WORK/r" ; echo >>"$WORK/r"
        call=$((call + 2))
      done
      ok="$(count_ok "$location")"
      [ "$ok" = $((2 * PAIRS + 1)) ] || { echo "crea.sh: only $ok of $((2 * PAIRS + 1)) calls of $key ended OK" >&2; exit 1; }
      q=$(cut -d ' ' -f 1 "$WORK/q" | median) ; f=$(cut -d ' ' -f 1 "$WORK/f" | median)
      qc=$(cut -d ' ' -f 2 "$WORK/q" | median) ; fc=$(cut -d ' ' -f 2 "$WORK/f" | median)
      qm=$(cut -d ' ' -f 3 "$WORK/q" | sort -n | tail -n 1) ; fm=$(cut -d ' ' -f 3 "$WORK/f" | sort -n | tail -n 1)
      r=$(grep . "$WORK/r" | median)
      eval "Q_$key=$q F_$key=$f QC_$key=$qc FC_$key=$fc QM_$key=$qm FM_$key=$fm R_$key=$r"
      printf '  %-8s %5d B labels %4d parcels: qorita %9.1f ms (cpu %6.0f), floor %9.1f ms (cpu %6.0f); median ratio %s of %d pairs; peak %d / %d MB\n' \
        "$mode" "$size" "$parcels" "$q" "$qc" "$f" "$fc" "$r" "$PAIRS" $((qm / 1024)) $((fm / 1024))
      # The courier's answer as it came: the archived payload is nearly all of it.
      answer=$(find "$archive" -name '*AddParcelResponse.xml' | head -n 1)
      eval "A_$key=$(wc -c <"$answer")"
    done
  done
done

size_name() { [ "$1" -ge 1024 ] && echo "$(($1 / 1024)) KB" || echo "$1 B"; }
for mode in $MODES; do
  for size in $LABELS; do
    for parcels in $PARCELS; do
      key="${mode}_${size}_$parcels"
      eval "q=\$Q_$key f=\$F_$key qc=\$QC_$key fc=\$FC_$key r=\$R_$key"
      label="$parcels parcel$([ "$parcels" = 1 ] || echo s), $(size_name "$size") labels, $mode"
      row "$label: qorita / floor, median of $PAIRS pairwise ratios (medians $q / $f ms; CPU $qc / $fc ms)" "$r" "<= 1.15" "$(le "$r" 1.15)"
    done
    echo "$PARCELS" | grep -q 100 && echo "$PARCELS" | grep -q 1000 || continue
    eval "q100=\$Q_${mode}_${size}_100 q1000=\$Q_${mode}_${size}_1000"
    eval "f100=\$F_${mode}_${size}_100 f1000=\$F_${mode}_${size}_1000"
    r=$(ratio "$q1000" "$q100")
    row "qorita 1000 / 100 parcels, $(size_name "$size") labels, $mode (floor: $(ratio "$f1000" "$f100"))" "$r" \
      "<= 11" "$(le "$r" 11)"
  done
done
# Peak memory of the 1000-parcel runs with the largest labels, against the
# courier's answer (the archived AddParcelResponse).
for size in $LABELS; do big=$size; done
for parcels in $PARCELS; do most=$parcels; done
for mode in $MODES; do
  key="${mode}_${big}_$most"
  eval "qm=\$QM_$key fm=\$FM_$key answer=\$A_$key"
  r=$(awk -v k="$qm" -v b="$answer" 'BEGIN { printf "%.2f", k * 1024 / b }')
  answer_mb=$(awk -v b="$answer" 'BEGIN { printf "%.1f", b / 1048576 }')
  row "peak RSS, $most parcels x $(size_name "$big") labels, $mode: qorita $((qm / 1024)) MB / answer $answer_mb MB (floor $((fm / 1024)) MB)" \
    "$r" "<= 2" "$(le "$r" 2)"
done

# ---- Start-up: exec up to the first database call. qorita with a repeated
# parameter key stops after reading its command line, before anything touches
# the database; the empty program has the same shared libraries.
loop_ms() {
  count=$1
  shift
  start=$(now_us)
  for _ in $(seq 1 "$count"); do "$@" >/dev/null 2>&1 || true; done
  end=$(now_us)
  awk -v d=$((end - start)) -v n="$count" 'BEGIN { printf "%.3f\n", d / n / 1000 }'
}
: >"$WORK/sq" ; : >"$WORK/se" ; : >"$WORK/st"
for _ in $(seq 1 7); do
  loop_ms 20 /bin/true >>"$WORK/st"
  loop_ms 20 "$EMPTY" >>"$WORK/se"
  loop_ms 20 "$QORITA" -Crea DatabaseName=a databasename=b >>"$WORK/sq"
done
st=$(median <"$WORK/st")
se=$(median <"$WORK/se")
sq=$(median <"$WORK/sq")
beyond=$(awk -v a="$sq" -v b="$se" 'BEGIN { printf "%.2f", a - b }')
row "start-up: exec to first database call, qorita ($sq ms) - empty program with the same libraries ($se ms); /bin/true $st ms" "$beyond ms" "<= 3 ms" "$(le "$beyond" 3)"
echo "  start-up: qorita up to the first database call $sq ms, empty program with the same libraries $se ms, /bin/true $st ms"

{
  echo "| figure | measured | target | met? |"
  echo "|---|---|---|---|"
  cat "$TABLE"
} >"$WORK/table.md"
echo
cat "$WORK/table.md"
LOAD_END="$(load)"
echo "Load average (1, 5, 15 min): $LOAD_START at the start, $LOAD_END at the end."

if [ -n "$RESULTS" ]; then
  # The table goes between the two marker lines of RESULTS_FILE; the notes
  # around it are kept. A file without the markers is written anew.
  BUILD_TYPE="$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$BUILD_DIR/CMakeCache.txt")"
  [ -n "$BUILD_TYPE" ] || BUILD_TYPE="RelWithDebInfo (the project's default)"
  BEGIN_MARK='<!-- bench/crea.sh: the latest table, begin -->'
  END_MARK='<!-- bench/crea.sh: the latest table, end -->'
  {
    echo "$BEGIN_MARK"
    echo "Latest run of \`bench/crea.sh\`: whole runs of the real program beside the shared floor"
    echo "program (the same database work, the same two HTTPS requests and the two archive files"
    echo "the cheapest way the libraries allow, no XML), in pairs that alternate which goes first,"
    echo "each on its own fresh shipment, against \`qorita-sandbox\` on loopback; a ratio is the"
    echo "median of the pairwise ratios. Answers: $LABEL_KIND labels, payload namespace $SHAPE,"
    echo "transfer $TRANSFER."
    echo "Wall time decides; the CPU time (user + system) of the same runs is given beside it."
    echo "Peak memory is the largest resident set of the 1000-parcel runs; embedded, the"
    echo "engine's page cache is part of the process."
    echo
    echo "Machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)," \
      "$(awk '/^MemTotal/ { printf "%.1f GB", $2 / 1048576 }' /proc/meminfo) memory;" \
      "$(date -u '+%Y-%m-%d %H:%M UTC'); build type $BUILD_TYPE;" \
      "load average (1, 5, 15 min) $LOAD_START at the start, $LOAD_END at the end."
    echo
    cat "$WORK/table.md"
    echo "$END_MARK"
  } >"$WORK/section.md"
  if [ -f "$RESULTS" ] && grep -qF "$BEGIN_MARK" "$RESULTS" && grep -qF "$END_MARK" "$RESULTS"; then
    awk -v begin="$BEGIN_MARK" -v end="$END_MARK" -v section="$WORK/section.md" '
      $0 == begin { while ((getline line < section) > 0) print line; skip = 1; next }
      $0 == end { skip = 0; next }
      !skip { print }' "$RESULTS" >"$WORK/results.md"
  else
    { echo "# Benchmark results"; echo; cat "$WORK/section.md"; } >"$WORK/results.md"
  fi
  cp "$WORK/results.md" "$RESULTS"
  echo "Written to $RESULTS"
fi
