#!/bin/sh
# Crea with a full archive folder against Crea with an empty one. Every run
# looks up its shipment's journal by the header ID alone and writes its own
# entries, so 100,000 archived files (and 10,000 other shipments' journal
# folders) must not slow it down: the target is at most 5%.
#   bench/archive.sh BUILD_DIR [FILES]
# Embedded database, the sandbox courier on loopback, runs of the two kinds
# interleaved on identical shipments; medians. QORITA_BENCH_REPS scales the
# repetitions (default 1: 40 runs of each kind). Everything lives in a
# temporary folder on the same disk as the archive would be (TMPDIR).
set -eu
BUILD_DIR="$1"
FILES="${2:-100000}"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
QORITA="$BUILD_DIR/qorita"
SANDBOX="$BUILD_DIR/qorita-sandbox"
REPS=$((40 * ${QORITA_BENCH_REPS:-1}))
for program in "$QORITA" "$SANDBOX"; do
  [ -x "$program" ] || { echo "archive.sh: $program is missing" >&2; exit 1; }
done
command -v isql-fb >/dev/null || { echo "archive.sh: isql-fb is missing" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "archive.sh: /usr/bin/time is missing (package time)" >&2; exit 1; }

WORK="$(mktemp -d "${TMPDIR:-/tmp}/qorita-archive.XXXXXX")"
SANDBOX_PIDS=""
cleanup() {
  for pid in $SANDBOX_PIDS; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' HUP INT PIPE TERM

. "$ROOT/bench/common.sh"

start_sandbox "$WORK/sandbox"
# $REPS one-parcel shipments in each database; each its own customer, so the
# sandbox never mistakes one database's counters for the other's.
make_database "$WORK/empty.fdb" 1 "$REPS" "$WORK/archive-empty"
make_database "$WORK/full.fdb" 1 "$REPS" "$WORK/archive-full"

# The full folder: archived exchanges of other shipments, as years of runs
# leave them, and journal folders of other shipments left by runs that died.
echo "Filling the archive folder with $FILES files and 10000 journal folders"
start=$(date +%s)
awk -v n="$FILES" -v dir="$WORK/archive-full" 'BEGIN {
  for (i = 0; i < n; i++) {
    kind = (i % 2) ? "Response" : "Request"
    file = sprintf("%s/%08d_20240101120000_AddParcel%s.xml", dir, 1000000 + int(i / 2), kind)
    printf "<?xml version=\"1.0\"?><Info><Parcel><ContatoreProgressivo>%d</ContatoreProgressivo></Parcel></Info>\n", i > file
    close(file)
  }
}'
mkdir -p "$WORK/archive-full/.journal"
(cd "$WORK/archive-full/.journal" && seq 2000000 2009999 | sed 's/^/0/' | xargs mkdir)
awk -v dir="$WORK/archive-full/.journal" 'BEGIN {
  for (i = 0; i < 10000; i++) {
    file = sprintf("%s/%08d/20240101120000_1_1_AddParcel.journal", dir, 2000000 + i)
    printf "QORITA-JOURNAL 1\nOperazione=AddParcel\nDataOra=45292.5\nOperatore=7\nFileXmlRequest=\nCollo=1:%d\n", i + 1 > file
    close(file)
  }
}'
echo "  filled in $(($(date +%s) - start)) s: $(ls -f "$WORK/archive-full" | wc -l) entries in the archive folder," \
  "$(ls -f "$WORK/archive-full/.journal" | wc -l) in its journal folder"
sync

# Runs "$@" once; prints its wall time in ms, and appends its processor time
# (user + system, ms) to the file $CPU.
time_ms() {
  start=$(now_us)
  if ! /usr/bin/time -f '%U %S' -o "$WORK/cpu" "$@" >"$WORK/run.out" 2>&1; then
    echo "archive.sh: failed: $*" >&2
    cat "$WORK/run.out" >&2
    exit 1
  fi
  end=$(now_us)
  [ ! -s "$WORK/run.out" ] || { echo "archive.sh: the run printed:" >&2; cat "$WORK/run.out" >&2; exit 1; }
  awk '{ printf "%.0f\n", ($1 + $2) * 1000 }' "$WORK/cpu" >>"$CPU"
  awk -v d=$((end - start)) 'BEGIN { printf "%.3f\n", d / 1000 }'
}

: >"$WORK/e"
: >"$WORK/f"
: >"$WORK/ec"
: >"$WORK/fc"
for call in $(seq 1 "$REPS"); do
  # Alternating which goes first evens out a trend in the machine's load.
  if [ $((call % 2)) -eq 1 ]; then
    CPU="$WORK/ec"; time_ms "$QORITA" -Crea "DatabaseName=$WORK/empty.fdb" "ChiamataId=$call" >>"$WORK/e"
    CPU="$WORK/fc"; time_ms "$QORITA" -Crea "DatabaseName=$WORK/full.fdb" "ChiamataId=$call" >>"$WORK/f"
  else
    CPU="$WORK/fc"; time_ms "$QORITA" -Crea "DatabaseName=$WORK/full.fdb" "ChiamataId=$call" >>"$WORK/f"
    CPU="$WORK/ec"; time_ms "$QORITA" -Crea "DatabaseName=$WORK/empty.fdb" "ChiamataId=$call" >>"$WORK/e"
  fi
done
for db in empty full; do
  ok="$(count_ok "$WORK/$db.fdb")"
  [ "$ok" = "$REPS" ] || { echo "archive.sh: only $ok of $REPS calls on $db ended OK" >&2; exit 1; }
done
# What the runs left in the journal: the counter mark alone.
left=$(find "$WORK/archive-empty/.journal" -type f | wc -l)
e=$(median <"$WORK/e")
f=$(median <"$WORK/f")
ratio=$(awk -v a="$f" -v b="$e" 'BEGIN { printf "%.3f", a / b }')
# The two runs of a pair ran back to back: the median of their ratios is
# less moved by the load of a shared machine than the ratio of the medians.
paired=$(paste "$WORK/f" "$WORK/e" | awk '{ printf "%.4f\n", $1 / $2 }' | median)
met=$(awk -v r="$paired" 'BEGIN { print (r <= 1.05) ? "yes" : "NO" }')
echo "Crea, 1 parcel, embedded, $REPS runs of each kind:"
echo "  archive folder empty: median $e ms"
echo "  archive folder with $FILES files: median $f ms"
echo "  full / empty: $ratio (medians), $paired (median of the paired ratios; target <= 1.05: $met)"
echo "  processor time (user + system), medians: empty $(median <"$WORK/ec") ms, full $(median <"$WORK/fc") ms"
echo "  files the runs left in the journal: $left (the counter mark)"
# Removing 100,000 files takes minutes on a busy disk.
echo "Removing the temporary folder..."
