#!/bin/sh
# Whole Crea runs of the real program beside their floor (bench_crea_floor: the
# same database work and the same two HTTPS requests, no XML tree), against the
# sandbox courier on loopback, the database embedded and through the tests' own
# Firebird server (scripts/fbserver.sh, on a free loopback port).
#   bench/crea.sh BUILD_DIR [RESULTS_FILE]
# Prints a table of figures against their targets; with RESULTS_FILE also writes
# it there with the machine it ran on. Everything lives in a temporary folder.
# QORITA_BENCH_REPS scales the repetitions (default 1; 2 doubles them).
set -eu
BUILD_DIR="$1"
RESULTS="${2:-}"
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
QORITA="$BUILD_DIR/qorita"
FLOOR="$BUILD_DIR/bench/bench_crea_floor"
EMPTY="$BUILD_DIR/bench/bench_startup_empty"
SANDBOX="$BUILD_DIR/qorita-sandbox"
SCALE="${QORITA_BENCH_REPS:-1}"
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

TABLE="$WORK/table"
: >"$TABLE"
# figure | measured | target | met?
row() { printf '| %s | %s | %s | %s |\n' "$1" "$2" "$3" "$4" >>"$TABLE"; }
# yes when $1 <= $2
le() { awk -v a="$1" -v b="$2" 'BEGIN { print (a + 0 <= b + 0) ? "yes" : "NO" }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
now_us() { echo $(($(date +%s%N) / 1000)); }

# Starts a sandbox courier; sets WSDL and CA. $1: folder, then its options.
start_sandbox() {
  folder="$1"
  shift
  mkdir -p "$folder"
  "$SANDBOX" --port 0 --state "$folder" "$@" >"$folder/line" 2>"$folder/err" &
  SANDBOX_PIDS="$SANDBOX_PIDS $!"
  for _ in $(seq 1 100); do
    [ -s "$folder/line" ] && break
    sleep 0.1
  done
  line="$(head -n 1 "$folder/line")"
  WSDL="$(echo "$line" | sed -n 's/^wsdl=\([^ ]*\) ca=.*$/\1/p')"
  CA="$(echo "$line" | sed -n 's/^wsdl=[^ ]* ca=\(.*\)$/\1/p')"
  [ -n "$WSDL" ] && [ -n "$CA" ] || { echo "crea.sh: the sandbox did not start" >&2; cat "$folder/err" >&2; exit 1; }
}

# A fresh database file $1 with the parameters pointing at the sandbox (WSDL,
# CA, archive folder $4) and $3 shipments of $2 parcels each; shipment k has
# header k and call row k.
make_database() {
  file="$1" parcels="$2" shipments="$3" archive="$4"
  mkdir -p "$archive"
  isql-fb -q >"$WORK/isql.out" 2>&1 <<EOF || { cat "$WORK/isql.out" >&2; exit 1; }
CREATE DATABASE '$file' USER 'SYSDBA' PASSWORD 'quillbark' DEFAULT CHARACTER SET UTF8;
INPUT '$ROOT/sql/schema.sql';
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(1, 'QORITA_SedeQor', 'MI');
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(2, 'QORITA_CodiceClienteQor', '123456');
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(3, 'QORITA_PasswordClienteQor', 'sandbox');
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(4, 'QORITA_CodiceContrattoQor', '301');
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(5, 'QORITA_RequestResponseDir', '$archive');
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(6, 'QORITA_TipoEtichetta', 'ZPL');
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(7, 'QORITA_ServiceUrl', '$WSDL');
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(8, 'QORITA_ServiceCaFile', '$CA');
SET TERM ^ ;
EXECUTE BLOCK AS
  DECLARE T INTEGER = 1;
  DECLARE I INTEGER;
BEGIN
  WHILE (T <= $shipments) DO BEGIN
    INSERT INTO QORITA_TESTATE(ID, DOCUMENTO_ID, RAGIONESOCIALE, INDIRIZZO, LOCALITA, ZIPCODE, PROVINCIA, COLLI,
                               TIPOETICHETTA, EMAIL, CELLULARE1)
      VALUES(:T, 5000 + :T, 'Bottega Rossi S.r.l.', 'Via Roma 12', 'Milano', '20121', 'MI', $parcels,
             'ZPL', 'ordini@example.com', '3331234567');
    I = 1;
    WHILE (I <= $parcels) DO BEGIN
      INSERT INTO QORITA_RIGHE(TESTATA, NCOLLO, PESOREALE) VALUES(:T, :I, 2.5);
      I = I + 1;
    END
    INSERT INTO QORITA_CHIAMATE(ID, TESTATA, DATAORA, OPERATORE) VALUES(:T, :T, CURRENT_TIMESTAMP, 7);
    T = T + 1;
  END
END^
SET TERM ; ^
COMMIT;
EOF
}

# The number of call rows of database $1 with outcome OK.
count_ok() {
  echo "SELECT 'OK=' || COUNT(*) FROM QORITA_CHIAMATE WHERE ESITO_CODICE = 0 AND ESITO_MESSAGGIO = 'OK';" |
    isql-fb -q -user SYSDBA -password quillbark "$1" 2>&1 | sed -n 's/.*OK=\([0-9]*\).*/\1/p'
}

# Runs "$@" once; prints its wall time in ms. A failed run stops the benchmark.
time_ms() {
  start=$(now_us)
  if ! "$@" >"$WORK/run.out" 2>&1; then
    echo "crea.sh: failed: $*" >&2
    cat "$WORK/run.out" >&2
    exit 1
  fi
  end=$(now_us)
  awk -v d=$((end - start)) 'BEGIN { printf "%.3f\n", d / 1000 }'
}

# ---- Timing: N parcels, program and floor interleaved on identical shipments.
start_sandbox "$WORK/sandbox"
echo "Crea runs against the sandbox courier at $WSDL"
for mode in embedded server; do
  if [ "$mode" = server ]; then
    # The tests' own server (scripts/fbserver.sh), started here unless it runs.
    if ! SERVER="$("$ROOT/scripts/fbserver.sh" address 2>/dev/null)"; then
      "$ROOT/scripts/fbserver.sh" start >/dev/null
      STARTED_SERVER=yes
      SERVER="$("$ROOT/scripts/fbserver.sh" address)"
    fi
  fi
  for parcels in 1 100 1000; do
    case $parcels in
      1) reps=$((15 * SCALE)) ;;
      100) reps=$((5 * SCALE)) ;;
      *) reps=$((5 * SCALE)) ;;
    esac
    file="$WORK/$mode-$parcels.fdb"
    make_database "$file" "$parcels" $((2 * reps)) "$WORK/archive-$mode-$parcels"
    location="$file"
    [ "$mode" = server ] && location="$SERVER:$file"
    : >"$WORK/q" ; : >"$WORK/f"
    call=1
    for _ in $(seq 1 "$reps"); do
      # Alternating which goes first evens out a trend in the machine's load.
      if [ $((call % 4)) -eq 1 ]; then
        time_ms "$QORITA" -Crea "DatabaseName=$location" "ChiamataId=$call" >>"$WORK/q"
        time_ms "$FLOOR" "$location" $((call + 1)) >>"$WORK/f"
      else
        time_ms "$FLOOR" "$location" "$call" >>"$WORK/f"
        time_ms "$QORITA" -Crea "DatabaseName=$location" "ChiamataId=$((call + 1))" >>"$WORK/q"
      fi
      call=$((call + 2))
    done
    ok="$(count_ok "$location")"
    [ "$ok" = $((2 * reps)) ] || { echo "crea.sh: only $ok of $((2 * reps)) calls of $mode-$parcels ended OK" >&2; exit 1; }
    q=$(median <"$WORK/q")
    f=$(median <"$WORK/f")
    eval "Q_${mode}_$parcels=$q F_${mode}_$parcels=$f"
    printf '  %-8s %4d parcels: qorita %9.1f ms, floor %9.1f ms (medians of %d)\n' "$mode" "$parcels" "$q" "$f" "$reps"
  done
done

for mode in embedded server; do
  eval "q1=\$Q_${mode}_1 f1=\$F_${mode}_1 q100=\$Q_${mode}_100 q1000=\$Q_${mode}_1000"
  eval "f100=\$F_${mode}_100 f1000=\$F_${mode}_1000"
  r=$(ratio "$q1" "$f1")
  row "1 parcel, $mode: qorita / floor ($q1 / $f1 ms)" "$r" "<= 1.25" "$(le "$r" 1.25)"
  r=$(ratio "$q100" "$f100")
  row "100 parcels, $mode: qorita / floor ($q100 / $f100 ms)" "$r" "-" "-"
  r=$(ratio "$q1000" "$f1000")
  row "1000 parcels, $mode: qorita / floor ($q1000 / $f1000 ms)" "$r" "-" "-"
  r=$(ratio "$q1000" "$q100")
  row "qorita 1000 / 100 parcels, $mode" "$r" "<= 11" "$(le "$r" 11)"
  r=$(ratio "$f1000" "$f100")
  row "floor 1000 / 100 parcels, $mode" "$r" "-" "-"
done

# ---- Peak memory: 1000 parcels with 64 KB labels, embedded.
start_sandbox "$WORK/sandbox-64k" --label-size 65536
file="$WORK/labels-64k.fdb"
make_database "$file" 1000 2 "$WORK/archive-64k"
peak_kb() { sed -n 's/^[[:space:]]*Maximum resident set size (kbytes): //p' "$1"; }
start=$(now_us)
/usr/bin/time -v "$QORITA" -Crea "DatabaseName=$file" ChiamataId=1 >"$WORK/run.out" 2>"$WORK/time-q" ||
  { echo "crea.sh: the 64 KB run failed" >&2; cat "$WORK/run.out" "$WORK/time-q" >&2; exit 1; }
q64=$(( ($(now_us) - start) / 1000 ))
start=$(now_us)
/usr/bin/time -v "$FLOOR" "$file" 2 >"$WORK/run.out" 2>"$WORK/time-f" ||
  { echo "crea.sh: the 64 KB floor run failed" >&2; cat "$WORK/run.out" "$WORK/time-f" >&2; exit 1; }
f64=$(( ($(now_us) - start) / 1000 ))
[ "$(count_ok "$file")" = 2 ] || { echo "crea.sh: a 64 KB call did not end OK" >&2; exit 1; }
answer=$(find "$WORK/archive-64k" -name '*AddParcelResponse.xml' | head -n 1)
answer_bytes=$(wc -c <"$answer")
answer_mb=$(awk -v b="$answer_bytes" 'BEGIN { printf "%.1f", b / 1048576 }')
q_peak=$(peak_kb "$WORK/time-q")
f_peak=$(peak_kb "$WORK/time-f")
r=$(awk -v k="$q_peak" -v b="$answer_bytes" 'BEGIN { printf "%.2f", k * 1024 / b }')
row "peak RSS, 1000 parcels x 64 KB labels: qorita $((q_peak / 1024)) MB / answer $answer_mb MB" "$r" "<= 4" "$(le "$r" 4)"
r=$(awk -v k="$f_peak" -v b="$answer_bytes" 'BEGIN { printf "%.2f", k * 1024 / b }')
row "peak RSS of the floor, same run: $((f_peak / 1024)) MB / answer" "$r" "-" "-"
row "1000 parcels x 64 KB, embedded: qorita / floor ($q64 / $f64 ms, one run each)" "$(ratio "$q64" "$f64")" "-" "-"
echo "  64 KB labels: qorita $q64 ms, peak $((q_peak / 1024)) MB; floor $f64 ms, peak $((f_peak / 1024)) MB; answer $answer_bytes bytes"

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

if [ -n "$RESULTS" ]; then
  {
    echo "# Benchmark results"
    echo
    echo "Latest run of \`bench/run.sh\` (the Crea section, \`bench/crea.sh\`): wall-clock medians of whole"
    echo "runs of the real program beside \`bench_crea_floor\` (the same database work and the same"
    echo "two HTTPS requests with plain libcurl, no XML tree, the same two archive files),"
    echo "interleaved, each on its own fresh shipment, against \`qorita-sandbox\` on loopback."
    echo "The floor trusts only the sandbox's CA file (CURLOPT_CAINFO); qorita trusts the system"
    echo "store plus that file. Peak memory is measured embedded, so the engine's page cache is"
    echo "part of both processes. Single runs on a shared 2-core machine vary by tens of percent"
    echo "between runs; the ratios compare program and floor measured side by side."
    echo
    echo "Machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)," \
      "$(awk '/^MemTotal/ { printf "%.1f GB", $2 / 1048576 }' /proc/meminfo) memory;" \
      "$(date -u '+%Y-%m-%d %H:%M UTC'); build type" \
      "$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$BUILD_DIR/CMakeCache.txt")."
    echo
    cat "$WORK/table.md"
  } >"$RESULTS"
  echo "Written to $RESULTS"
fi
