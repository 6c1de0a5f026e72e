# Shared by the benchmark scripts, which source it after setting ROOT (the
# clone), WORK (their temporary folder), SANDBOX (the sandbox courier) and
# SANDBOX_PIDS (the couriers they started, stopped by their cleanup).

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
  [ -n "$WSDL" ] && [ -n "$CA" ] || { echo "bench: the sandbox did not start" >&2; cat "$folder/err" >&2; exit 1; }
}

# A fresh database file $1 with the parameters pointing at the sandbox (WSDL,
# CA, archive folder $4) and $3 shipments of $2 parcels each; shipment k has
# header k and call row k. Each database is a customer of its own: its parcel
# counters start again at 1, and the courier answers a counter it has seen
# from the same customer with that earlier registration.
DATABASES=0
make_database() {
  file="$1" parcels="$2" shipments="$3" archive="$4"
  DATABASES=$((DATABASES + 1))
  customer=$((100000 + DATABASES))
  mkdir -p "$archive"
  isql-fb -q >"$WORK/isql.out" 2>&1 <<EOF || { cat "$WORK/isql.out" >&2; exit 1; }
CREATE DATABASE '$file' USER 'SYSDBA' PASSWORD 'quillbark' DEFAULT CHARACTER SET UTF8;
INPUT '$ROOT/sql/schema.sql';
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(1, 'QORITA_SedeQor', 'MI');
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(2, 'QORITA_CodiceClienteQor', '$customer');
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(3, 'QORITA_PasswordClienteQor', 'sandbox');
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(4, 'QORITA_CodiceContrattoQor', '301');
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(5, 'QORITA_RequestResponseDir', '$archive');
INSERT INTO TABX(CODICE, NOME, TESTO) VALUES(6, 'QORITA_TipoEtichetta', '${LABEL_KIND:-ZPL}');
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
             '${LABEL_KIND:-ZPL}', 'ordini@example.com', '3331234567');
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
    isql-fb -q -user SYSDBA -password "${ISC_PASSWORD:-quillbark}" "$1" 2>&1 | sed -n 's/.*OK=\([0-9]*\).*/\1/p'
}

