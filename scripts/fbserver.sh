#!/usr/bin/env bash
# The Firebird server of the tests and the benchmarks: a private one, in
# build/fbserver/ of this clone, on a free loopback port. It shares nothing with
# a Firebird server the machine may already run (port 3050, the system security
# database, /tmp/firebird, /var/log/firebird) and needs no sudo: it runs as the
# caller, from the package's programs and plugins, with its own
#   firebird.conf      RemoteServicePort (picked at start), RemoteBindAddress 127.0.0.1
#   databases.conf     security.db = its own security database (SYSDBA / copperwren)
#   lock/ tmp/         lock files and sort files
#   firebird3.0.log    the server's log
# and it is stopped by its pid only.
#
#   scripts/fbserver.sh start     starts it (does nothing when it already runs)
#   scripts/fbserver.sh stop      stops it
#   scripts/fbserver.sh restart   starts it again on the same port (after a crash too)
#   scripts/fbserver.sh address   prints its address, 127.0.0.1/PORT
#   scripts/fbserver.sh env       prints the exports for tests: eval "$(scripts/fbserver.sh env)"
#   scripts/fbserver.sh password  prints SYSDBA's password
#
# The address is also in build/fbserver/address, the pid in build/fbserver/pid.
set -euo pipefail
clone=$(cd "$(dirname "$0")/.." && pwd)
root=$clone/build/fbserver
# Not the program's built-in password: a run against this server connects only
# with the password a test hands it (ISC_PASSWORD), never on the default by
# accident. tests/dbsupport/TestDatabase.cpp knows it too.
password=copperwren
server=/usr/sbin/firebird

fail() {
  echo "fbserver.sh: $*" >&2
  exit 1
}

# The package's programs and plugins (firebird3.0-server, firebird3.0-server-core).
package_dir() {
  local dir
  for dir in /usr/lib/*/firebird/3.0; do
    [[ -f $dir/plugins/libEngine12.so ]] && { echo "$dir"; return 0; }
  done
  fail "Firebird 3.0 is not installed (run scripts/setup.sh)"
}

# Every Firebird program started from here reads only the private folder:
# FIREBIRD_BOOT_BUILD makes the package's compiled-in folders (log, security
# database, plugins) relative to FIREBIRD instead, so nothing lands in
# /var/log/firebird or /var/lib/firebird.
private_env=(env -i PATH=/usr/sbin:/usr/bin:/bin HOME="$root" TMPDIR="$root/tmp" LANG=C
  FIREBIRD="$root" FIREBIRD_BOOT_BUILD=1 FIREBIRD_LOCK="$root/lock")

# $1: port (0 while only the security database is made), $2: security database.
write_config() {
  cat >"$root/firebird.conf" <<EOF
# Written by scripts/fbserver.sh at every start.
RemoteServicePort = $1
RemoteBindAddress = 127.0.0.1
# Without FIREBIRD_BOOT_BUILD the default; with it Classic, a process per
# connection that outlives a killed listener.
ServerMode = Super
SecurityDatabase = $2
TempDirectories = $root/tmp
UdfAccess = None
EOF
  cat >"$root/databases.conf" <<EOF
# Written by scripts/fbserver.sh at every start.
security.db = $2
{
	RemoteAccess = false
	DefaultDbCachePages = 50
}
EOF
}

prepare_root() {
  [[ $root != *[[:space:]]* ]] || fail "the clone's path has blanks, which Firebird's configuration cannot hold: $root"
  local package entry module name
  package=$(package_dir)
  [[ -x $server ]] || fail "$server is missing (package firebird3.0-server; run scripts/setup.sh)"
  mkdir -p "$root/lock" "$root/embedded-lock" "$root/tmp" "$root/intl"
  chmod 700 "$root"
  for entry in plugins lib firebird.msg; do
    ln -sfn "$package/$entry" "$root/$entry"
  done
  # Firebird refuses a module loaded through a symbolic link ("Standard plugin
  # entrypoint does not exist"), so the plugins and the character sets are
  # named by their real paths.
  rm -f "$root/plugins.conf"
  {
    echo "# Written by scripts/fbserver.sh: the package's plugins by their real paths."
    for module in "$package"/plugins/lib*.so; do
      name=${module##*/lib}
      name=${name%.so}
      [[ $name == udr_engine ]] && continue
      printf 'Plugin = %s {\n\tModule = %s\n}\n' "$name" "$module"
    done
    printf 'Plugin = UDR {\n\tModule = %s\n\tConfig = UDR_config\n}\n' "$package/plugins/libudr_engine.so"
    printf 'Config = UDR_config {\n\tpath = %s\n}\n' "$package/plugins/udr"
  } >"$root/plugins.conf"
  sed "s|\$(root)/intl/fbintl|$package/intl/libfbintl.so|" "$package/intl/fbintl.conf" >"$root/intl/fbintl.conf"
}

# A security database of our own, made from the package's script like the
# package makes the system one, with SYSDBA's password set in it. Made under
# another name and renamed when complete, so an interrupted start leaves none.
make_security_db() {
  # Named after the password: a folder made with another one gets a new file.
  local final=$root/security3-$password.fdb new=$root/security3.new.fdb
  [[ -f $final ]] && return 0
  rm -f "$new"
  write_config 0 "$new"
  local log=$root/security3.log
  if ! {
    echo "CREATE DATABASE '$new';" | "${private_env[@]}" isql-fb -q &&
      "${private_env[@]}" isql-fb -q -user SYSDBA -i /usr/share/firebird/3.0/security.sql "$new" &&
      echo "CREATE OR ALTER USER SYSDBA PASSWORD '$password' USING PLUGIN Srp; COMMIT;" |
      "${private_env[@]}" isql-fb -q -user SYSDBA "$new"
  } >"$log" 2>&1; then
    rm -f "$new"
    cat "$log" >&2
    fail "could not make the security database"
  fi
  mv "$new" "$final"
  rm -f "$log"
}

# A port the kernel hands out as free on the loopback interface.
free_port() {
  perl -MIO::Socket::INET -e \
    'my $s = IO::Socket::INET->new(LocalAddr => "127.0.0.1", LocalPort => 0, Listen => 1) or die "$!\n";
     print $s->sockport, "\n";'
}

# True when process $1 exists and has not ended (a zombie has).
alive() {
  local state
  state=$(sed -n 's/^State:[[:space:]]*\([A-Z]\).*/\1/p' "/proc/$1/status" 2>/dev/null) || return 1
  [[ -n $state && $state != Z ]]
}

# True when $1 is our server: a firebird process started on this root.
is_ours() {
  local pid=$1
  [[ $pid =~ ^[0-9]+$ ]] && alive "$pid" || return 1
  local cmdline
  cmdline=$(tr '\0' ' ' <"/proc/$pid/cmdline")
  [[ $cmdline == "$server -e $root -el $root/lock " ]]
}

# Kills every process that is our server: started on this root, which no other
# clone has.
kill_ours() {
  local entry pid
  for entry in /proc/[0-9]*; do
    pid=${entry#/proc/}
    is_ours "$pid" && kill -KILL "$pid" 2>/dev/null
  done
  return 0
}

running_pid() {
  local pid
  pid=$(cat "$root/pid" 2>/dev/null) || return 1
  is_ours "$pid" && echo "$pid"
}

# True when process $1 holds the listening socket on 127.0.0.1:$2.
listens() {
  local pid=$1 port=$2 inode
  local hex
  hex=$(printf '0100007F:%04X' "$port")
  inode=$(awk -v local="$hex" '$2 == local && $4 == "0A" { print $10; exit }' /proc/net/tcp)
  [[ -n $inode ]] || return 1
  local fd
  for fd in "/proc/$pid/fd"/*; do
    [[ $(readlink "$fd" 2>/dev/null) == "socket:[$inode]" ]] && return 0
  done
  return 1
}

# Starts the server on port $1; true when it listens there.
launch() {
  local port=$1
  write_config "$port" "$root/security3-$password.fdb"
  rm -f "$root/pid" "$root/address"
  # No -p: with it the server listens on every interface and ignores
  # RemoteBindAddress; the port comes from firebird.conf instead. setsid keeps
  # it out of the caller's process group, so a test run that ends or is timed
  # out does not take it along.
  (
    cd "$root"
    exec 9>&-
    exec setsid "${private_env[@]}" "$server" -e "$root" -el "$root/lock" </dev/null >>"$root/server.out" 2>&1
  ) &
  local pid=$! deadline=$((SECONDS + 15))
  while ((SECONDS < deadline)); do
    if listens "$pid" "$port"; then
      echo "$pid" >"$root/pid"
      echo "$port" >"$root/port"
      echo "127.0.0.1/$port" >"$root/address"
      return 0
    fi
    alive "$pid" || break
    sleep 0.1
  done
  # Not listening, or not as the process we started: no server of this root
  # is kept running.
  kill_ours
  return 1
}

start() {
  local pid
  if pid=$(running_pid); then
    echo "Firebird test server already runs at $(cat "$root/address") (pid $pid, $root)."
    return 0
  fi
  prepare_root
  make_security_db
  local port _
  # Another program may take the port between our probe and the server's bind.
  for _ in 1 2 3; do
    port=${1:-$(free_port)}
    if launch "$port"; then
      echo "Firebird test server started at $(cat "$root/address") (pid $(cat "$root/pid"), $root)."
      return 0
    fi
    [[ -z ${1:-} ]] || break
  done
  tail -n 20 "$root/firebird3.0.log" >&2 2>/dev/null || true
  fail "the Firebird test server did not start (log: $root/firebird3.0.log)"
}

stop() {
  local pid _
  if pid=$(running_pid); then
    kill -TERM "$pid" 2>/dev/null || true
    for _ in $(seq 1 150); do
      is_ours "$pid" || break
      sleep 0.1
    done
    if is_ours "$pid"; then
      kill -KILL "$pid" 2>/dev/null || true
      for _ in $(seq 1 50); do
        is_ours "$pid" || break
        sleep 0.1
      done
    fi
  fi
  rm -f "$root/pid" "$root/address"
}

# True while any socket, in any state, has local port $1.
port_taken() {
  local hex
  hex=$(printf '%04X' "$1")
  awk -v port="$hex" 'FNR > 1 { split($2, local, ":"); if (local[2] == port) found = 1 } END { exit !found }' \
    /proc/net/tcp /proc/net/tcp6 2>/dev/null
}

restart() {
  local port _
  port=$(cat "$root/port" 2>/dev/null) || port=
  stop
  if [[ -n $port ]]; then
    # Firebird binds without SO_REUSEADDR: after a crash the port stays taken
    # until the killed server's connections leave TIME_WAIT (a minute).
    for _ in $(seq 1 900); do
      port_taken "$port" || break
      sleep 0.1
    done
  fi
  start "$port"
}

address() {
  running_pid >/dev/null || fail "the Firebird test server does not run (scripts/fbserver.sh start)"
  cat "$root/address"
}

print_env() {
  local where
  where=$(address)
  printf 'export QORITA_TEST_FB_SERVER=%q\n' "$where"
  printf 'export QORITA_TEST_FB_SERVER_DIR=%q\n' "$root"
  # The tests' embedded engines keep their lock files apart from the server's.
  # Both sides share the engine-wide regions of their lock folder (trace,
  # user mapping); a test that kills a process at a random moment, as the
  # reliability tests do on purpose, must not leave the server unable to log
  # anyone in, nor a killed server leave the embedded tests waiting. Firebird
  # still refuses a file the other side has open: that check is a lock on the
  # file itself.
  mkdir -p "$root/embedded-lock"
  printf 'export FIREBIRD=%q FIREBIRD_BOOT_BUILD=1 FIREBIRD_LOCK=%q\n' "$root" "$root/embedded-lock"
}

# One command at a time per clone.
mkdir -p "$clone/build"
exec 9>"$clone/build/fbserver.lock"
flock 9

case ${1:-} in
  start) start ;;
  stop) stop ;;
  restart) restart ;;
  address) address ;;
  password) echo "$password" ;;
  env) print_env ;;
  *) fail "usage: scripts/fbserver.sh start|stop|restart|address|env|password" ;;
esac
