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
SANDBOX_PID=""
cleanup() {
  if [ -n "$SANDBOX_PID" ]; then
    kill "$SANDBOX_PID" 2>/dev/null || true
    wait "$SANDBOX_PID" 2>/dev/null || true
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 130' HUP INT PIPE TERM

"$SANDBOX" --port 0 --state "$WORK/sandbox" >"$WORK/sandbox.line" 2>"$WORK/sandbox.err" &
SANDBOX_PID=$!
for _ in $(seq 1 100); do
  [ -s "$WORK/sandbox.line" ] && break
  sleep 0.1
done
line="$(head -n 1 "$WORK/sandbox.line")"
WSDL="$(echo "$line" | sed -n 's/^wsdl=\([^ ]*\) ca=.*$/\1/p')"
CA="$(echo "$line" | sed -n 's/^wsdl=[^ ]* ca=\(.*\)$/\1/p')"
[ -n "$WSDL" ] || { echo "archive.sh: the sandbox did not start" >&2; cat "$WORK/sandbox.err" >&2; exit 1; }

# A database with $REPS one-parcel shipments (header k, call row k) archiving
# into $2. Each database has its own customer code, so the sandbox never
# mistakes one database's counters for the other's.
make_database() {
  file="$1" archive="$2" customer="$3"
  mkdir -p "$archive"
  isql-fb -q >"$WORK/isql.out" 2>&1 <<SQL || { cat "$WORK/isql.out" >&2; exit 1; }
CREATE DATABASE '$file' USER 'SYSDBA' PASSWORD 'quillbark' DEFAULT CHARACTER SET UTF8;
INPUT '$ROOT/sql/schema.sql';
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(1, 'QORITA_SedeQor', 'MI');
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(2, 'QORITA_CodiceClienteQor', '$customer');
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(3, 'QORITA_PasswordClienteQor', 'sandbox');
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(4, 'QORITA_CodiceContrattoQor', '301');
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(5, 'QORITA_RequestResponseDir', '$archive');
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(6, 'QORITA_TipoEtichetta', 'ZPL');
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(7, 'QORITA_ServiceUrl', '$WSDL');
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(8, 'QORITA_ServiceCaFile', '$CA');
SET TERM ^ ;
EXECUTE BLOCK AS
  DECLARE T INTEGER = 1;
BEGIN
  WHILE (T <= $REPS) DO BEGIN
    INSERT INTO QORITA_TESTATE(ID, RAGIONESOCIALE, INDIRIZZO, LOCALITA, ZIPCODE, PROVINCIA, COLLI, TIPOETICHETTA)
      VALUES(:T, 'Bottega Rossi S.r.l.', 'Via Roma 12', 'Milano', '20121', 'MI', 1, 'ZPL');
    INSERT INTO QORITA_RIGHE(TESTATA, NCOLLO, PESOREALE) VALUES(:T, 1, 2.5);
    INSERT INTO QORITA_CHIAMATE(ID, TESTATA, DATAORA, OPERATORE) VALUES(:T, :T, CURRENT_TIMESTAMP, 7);
    T = T + 1;
  END
END^
SET TERM ; ^
COMMIT;
SQL
}

make_database "$WORK/empty.fdb" "$WORK/archive-empty" 111111
make_database "$WORK/full.fdb" "$WORK/archive-full" 222222

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

now_us() { echo $(($(date +%s%N) / 1000)); }
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
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

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
  ok=$(echo "SELECT 'OK=' || COUNT(*) FROM QORITA_CHIAMATE WHERE ESITO_CODICE = 0;" |
    isql-fb -q -user SYSDBA -password quillbark "$WORK/$db.fdb" 2>&1 | sed -n 's/.*OK=\([0-9]*\).*/\1/p')
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
