#!/bin/sh
# Whole Crea runs of the real program beside their floor (bench_crea_floor: the
# same database work, the same two HTTPS requests and the same archive files,
# no XML tree), against the sandbox courier on loopback: 1, 100 and 1000
# parcels, labels of 4 KB and of 64 KB, the database embedded and through the
# tests' own Firebird server (scripts/fbserver.sh, on a free loopback port).
#   bench/crea.sh BUILD_DIR [RESULTS_FILE]
# Prints a table of figures against their targets; with RESULTS_FILE also writes
# it there with the machine and its load. Everything lives in a temporary folder.
#
# Environment:
#   QORITA_TEST_FB_SERVER  another server to use ("127.0.0.1/PORT"); without it
#                          the one of scripts/fbserver.sh, started when needed
#   QORITA_BENCH_REPS      scales the repetitions (default 1; 2 doubles them)
#   QORITA_BENCH_MODES     "embedded server" (default), or one of them
#   QORITA_BENCH_LABELS    "4096 65536" (default), or one of them
#   QORITA_BENCH_PROGRAM   another build of the program to measure (default BUILD_DIR/qorita)
set -eu
BUILD_DIR="$1"
RESULTS="${2:-}"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
QORITA="${QORITA_BENCH_PROGRAM:-$BUILD_DIR/qorita}"
FLOOR="$BUILD_DIR/bench/bench_crea_floor"
EMPTY="$BUILD_DIR/bench/bench_startup_empty"
SANDBOX="$BUILD_DIR/qorita-sandbox"
SCALE="${QORITA_BENCH_REPS:-1}"
MODES="${QORITA_BENCH_MODES:-embedded server}"
LABELS="${QORITA_BENCH_LABELS:-4096 65536}"
for program in "$QORITA" "$FLOOR" "$EMPTY" "$SANDBOX"; do
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
  start_sandbox "$WORK/sandbox-$size" --label-size "$size"
  echo "Crea runs with $size-byte labels against the sandbox courier at $WSDL"
  for mode in $MODES; do
    for parcels in 1 100 1000; do
      case $parcels in
        1) reps=$((15 * SCALE)) ;;
        100) reps=$((7 * SCALE)) ;;
        *) reps=$((5 * SCALE)) ;;
      esac
      key="${mode}_${size}_$parcels"
      file="$WORK/$key.fdb"
      make_database "$file" "$parcels" $((2 * reps)) "$WORK/archive-$key"
      location="$file"
      [ "$mode" = server ] && location="$SERVER:$file"
      : >"$WORK/q" ; : >"$WORK/f"
      call=1
      for _ in $(seq 1 "$reps"); do
        # Alternating which goes first evens out a trend in the machine's load.
        if [ $((call % 4)) -eq 1 ]; then
          run_once "$QORITA" -Crea "DatabaseName=$location" "ChiamataId=$call" >>"$WORK/q"
          run_once "$FLOOR" "$location" $((call + 1)) >>"$WORK/f"
        else
          run_once "$FLOOR" "$location" "$call" >>"$WORK/f"
          run_once "$QORITA" -Crea "DatabaseName=$location" "ChiamataId=$((call + 1))" >>"$WORK/q"
        fi
        call=$((call + 2))
      done
      ok="$(count_ok "$location")"
      [ "$ok" = $((2 * reps)) ] || { echo "crea.sh: only $ok of $((2 * reps)) calls of $key ended OK" >&2; exit 1; }
      q=$(cut -d ' ' -f 1 "$WORK/q" | median) ; f=$(cut -d ' ' -f 1 "$WORK/f" | median)
      qc=$(cut -d ' ' -f 2 "$WORK/q" | median) ; fc=$(cut -d ' ' -f 2 "$WORK/f" | median)
      qm=$(cut -d ' ' -f 3 "$WORK/q" | sort -n | tail -n 1) ; fm=$(cut -d ' ' -f 3 "$WORK/f" | sort -n | tail -n 1)
      eval "Q_$key=$q F_$key=$f QC_$key=$qc FC_$key=$fc QM_$key=$qm FM_$key=$fm"
      printf '  %-8s %5d B labels %4d parcels: qorita %9.1f ms (cpu %6.0f), floor %9.1f ms (cpu %6.0f); medians of %d\n' \
        "$mode" "$size" "$parcels" "$q" "$qc" "$f" "$fc" "$reps"
      if [ "$parcels" = 1000 ]; then
        answer=$(find "$WORK/archive-$key" -name '*AddParcelResponse.xml' | head -n 1)
        eval "A_$key=$(wc -c <"$answer")"
      fi
    done
  done
done

size_name() { [ "$1" -ge 1024 ] && echo "$(($1 / 1024)) KB" || echo "$1 B"; }
for mode in $MODES; do
  for size in $LABELS; do
    for parcels in 1 100 1000; do
      key="${mode}_${size}_$parcels"
      eval "q=\$Q_$key f=\$F_$key qc=\$QC_$key fc=\$FC_$key"
      r=$(ratio "$q" "$f")
      label="$parcels parcel$([ "$parcels" = 1 ] || echo s), $(size_name "$size") labels, $mode"
      row "$label: qorita / floor, wall ($q / $f ms; CPU $qc / $fc ms)" "$r" "<= 1.15" "$(le "$r" 1.15)"
    done
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
for mode in $MODES; do
  key="${mode}_${big}_1000"
  eval "qm=\$QM_$key fm=\$FM_$key answer=\$A_$key"
  r=$(awk -v k="$qm" -v b="$answer" 'BEGIN { printf "%.2f", k * 1024 / b }')
  answer_mb=$(awk -v b="$answer" 'BEGIN { printf "%.1f", b / 1048576 }')
  row "peak RSS, 1000 parcels x $(size_name "$big") labels, $mode: qorita $((qm / 1024)) MB / answer $answer_mb MB (floor $((fm / 1024)) MB)" \
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
    echo "Latest run of \`bench/run.sh\` (the Crea section, \`bench/crea.sh\`): medians of whole"
    echo "runs of the real program beside \`bench_crea_floor\` (the same database work, the same"
    echo "two HTTPS requests with plain libcurl and the same two archive files, no XML tree),"
    echo "interleaved, each on its own fresh shipment, against \`qorita-sandbox\` on loopback."
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
