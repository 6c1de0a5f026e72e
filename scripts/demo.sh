#!/usr/bin/env bash
# Shows qorita at work on a fresh machine: installs what is missing, builds,
# creates demo/ with an embedded database (tables from sql/schema.sql, TABX,
# a shipment of two parcels and a call row from sql/example.sql), starts the sandbox
# courier, checks the deployment with -Verifica (once with the archive folder
# missing, once complete), runs a real CreaConferma and shows what happened.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

./scripts/setup.sh
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j"$(nproc)" --target qorita qorita-sandbox qorita-labels

demo=$root/demo
rm -rf "$demo"
mkdir -p "$demo/labels" "$demo/sandbox"
db=$demo/demo.fdb

sql() { isql-fb -q -user SYSDBA -password quillbark "$db"; }

echo "== Creating the demo database $db"
{
  echo "CREATE DATABASE '$db' USER 'SYSDBA' PASSWORD 'quillbark' DEFAULT CHARACTER SET UTF8;"
  cat sql/schema.sql
  echo "COMMIT;"
} | isql-fb -q >/dev/null

echo "== Starting the sandbox courier"
build/qorita-sandbox --port 0 --state "$demo/sandbox" --password sandbox >"$demo/sandbox.out" 2>"$demo/sandbox.err" &
sandbox_pid=$!
trap 'kill $sandbox_pid 2>/dev/null; wait $sandbox_pid 2>/dev/null || true' EXIT
for _ in $(seq 1 100); do
  [[ -s $demo/sandbox.out ]] && break
  sleep 0.1
done
line=$(head -n1 "$demo/sandbox.out")
[[ $line == wsdl=* ]] || { echo "the sandbox did not start:"; cat "$demo/sandbox.err"; exit 1; }
wsdl=${line#wsdl=}; wsdl=${wsdl%% ca=*}
ca=${line#* ca=}
echo "   $line"

echo "== Filling TABX, one shipment of two parcels (PDF labels, one with cash on delivery) and a call row:"
echo "   sql/example.sql, with the archive folder and the sandbox courier in place of the production values"
sed -e "s|'/var/lib/qorita/scambi'|'$demo/scambi'|" \
    -e "s|'QORITA_ServiceUrl', ''|'QORITA_ServiceUrl', '$wsdl'|" \
    -e "s|'QORITA_ServiceCaFile', ''|'QORITA_ServiceCaFile', '$ca'|" sql/example.sql | sql >/dev/null
echo
echo "== build/qorita -Verifica DatabaseName=$db   (before the archive folder $demo/scambi exists)"
set +e
build/qorita -Verifica "DatabaseName=$db" | sed -e 's/\r$//' -e 's/^/   /'
code=${PIPESTATUS[0]}
set -e
echo "   exit code: $code"

mkdir -p "$demo/scambi"
echo
echo "== build/qorita -Verifica DatabaseName=$db   (after mkdir $demo/scambi)"
set +e
build/qorita -Verifica "DatabaseName=$db" | sed -e 's/\r$//' -e 's/^/   /'
code=${PIPESTATUS[0]}
set -e
echo "   exit code: $code"

call_id=$(echo "SELECT GEN_ID(QORITA_CHIAMATE_ID,0) FROM RDB\$DATABASE;" | sql | awk 'NF && $1 ~ /^[0-9]+$/ {print $1}')
header_id=$(echo "SELECT TESTATA FROM QORITA_CHIAMATE WHERE ID=$call_id;" | sql | awk 'NF && $1 ~ /^[0-9]+$/ {print $1}')

echo
echo "== build/qorita -CreaConferma DatabaseName=$db ChiamataId=$call_id"
set +e
build/qorita -CreaConferma "DatabaseName=$db" "ChiamataId=$call_id"
code=$?
set -e
echo "   exit code: $code"

show() { echo; echo "== $1"; echo "SET LIST ON; $2" | sql | sed -e 's/^$/   --/' -e 's/^\([^ ]\)/   \1/'; }
show "Call row (QORITA_CHIAMATE)" "SELECT ID, TESTATA, OPERATORE, ESITO_CODICE, ESITO_MESSAGGIO FROM QORITA_CHIAMATE WHERE ID=$call_id;"
show "Header (QORITA_TESTATE)" "SELECT ID, RAGIONESOCIALE, TIPOETICHETTA, NUMEROSPEDIZIONE, CONFERMA_DATAORA, CONFERMA_OPERATORE, STATUS FROM QORITA_TESTATE WHERE ID=$header_id;"
show "Parcels (QORITA_RIGHE)" "SELECT NCOLLO, PESOREALE, IMPORTOCONTRASSEGNO, CONTATOREPROGRESSIVO, INVIO_DATAORA, INVIO_OPERATORE, CHAR_LENGTH(ETICHETTA) AS LABEL_CHARACTERS FROM QORITA_RIGHE WHERE TESTATA=$header_id ORDER BY NCOLLO;"
show "Exchange log (QORITA_LOG)" "SELECT ID, OPERAZIONE, DATAORA, ESITO_CODICE, ESITO_MESSAGGIO, FILEXML_REQUEST, FILEXML_RESPONSE FROM QORITA_LOG ORDER BY ID;"

echo
echo "== Archived exchanges ($demo/scambi)"
ls -l "$demo/scambi" | tail -n +2 | sed 's/^/   /'
request=$(ls "$demo"/scambi/*_AddParcelRequest.xml | head -n1)
echo "   $(basename "$request"):"
head -c 600 "$request" | sed 's/^/     /'; echo " ..."

echo
echo "== Labels written to $demo/labels"
build/qorita-labels "$db" "$header_id" "$demo/labels" | sed 's/^/   /'
