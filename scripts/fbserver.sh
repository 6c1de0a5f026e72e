#!/usr/bin/env bash
# Starts or stops a Firebird server on localhost:3050 for the tests and the
# benchmarks, with SYSDBA's password set to "quillbark". The Debian service is
# not started on these machines, so we run fbguard ourselves and only ever stop
# what we started (the server's pid is kept in build/fbserver.pid; the
# guard ends with it).
#   scripts/fbserver.sh start|stop
set -euo pipefail
cd "$(dirname "$0")/.."

pidfile=build/fbserver.pid
security_db=/var/lib/firebird/3.0/system/security3.fdb
sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)

listening() { (exec 3<>/dev/tcp/127.0.0.1/3050) 2>/dev/null; }

start() {
  if listening; then
    echo "Firebird server already listening on localhost:3050; using it."
    return 0
  fi
  mkdir -p build
  # Embedded access to the security database sets the password before start.
  echo "CREATE OR ALTER USER SYSDBA PASSWORD 'quillbark' USING PLUGIN Srp; COMMIT;" |
    "${sudo_cmd[@]}" isql-fb -q -user SYSDBA "$security_db" >/dev/null
  "${sudo_cmd[@]}" /usr/sbin/fbguard -daemon -onetime -pidfile "$PWD/$pidfile"
  for _ in $(seq 1 100); do
    listening && { echo "Firebird server started on localhost:3050."; return 0; }
    sleep 0.1
  done
  echo "Firebird server did not start" >&2
  return 1
}

stop() {
  [[ -f $pidfile ]] || return 0
  local pid
  pid=$(cat "$pidfile")
  "${sudo_cmd[@]}" kill "$pid" 2>/dev/null || true
  for _ in $(seq 1 50); do
    listening || break
    sleep 0.1
  done
  rm -f "$pidfile"
}

"${1:-start}"
