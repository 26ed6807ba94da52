#!/usr/bin/env bash
# Creates (once) and starts a throw-away PostgreSQL cluster for the tests, then prints its
# connection URL. The cluster lives in its own folder with its own port and socket folder and
# trusts local connections; no system cluster is touched. Run as root, the server runs as the
# unprivileged user "postgres" (the server refuses to run as root).
#   start_postgres.sh [start|stop|restart|status]
#   TILLORA_PG_DIR   cluster folder (default: $BUILD_DIR/pg-test, BUILD_DIR defaults to build)
#   TILLORA_PG_PORT  port (default 55432)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="${BUILD_DIR:-$root/build}"
dir="${TILLORA_PG_DIR:-$build_dir/pg-test}"
port="${TILLORA_PG_PORT:-55432}"
user=tillora
database=tillora_test
action="${1:-start}"

bin="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)"
if [ -z "$bin" ] || [ ! -x "$bin/initdb" ]; then
  echo "start_postgres.sh: no PostgreSQL server installed (Debian: postgresql)" >&2
  exit 1
fi

as_owner=()
if [ "$(id -u)" -eq 0 ]; then
  as_owner=(runuser -u postgres --)
fi
run() { "${as_owner[@]}" "$@"; }

data="$dir/data"
sockets="$dir/sockets"
url="postgresql://$user@localhost:$port/$database"

case "$action" in
  stop)
    [ -f "$data/postmaster.pid" ] && run "$bin/pg_ctl" -D "$data" -m fast -w stop >/dev/null
    exit 0 ;;
  status)
    run "$bin/pg_ctl" -D "$data" status >/dev/null && echo "$url"
    exit $? ;;
  restart)
    run "$bin/pg_ctl" -D "$data" -m fast -w restart >/dev/null
    echo "$url"
    exit 0 ;;
  start) ;;
  *) echo "usage: start_postgres.sh [start|stop|restart|status]" >&2; exit 2 ;;
esac

if [ ! -f "$data/PG_VERSION" ]; then
  mkdir -p "$dir"
  rm -rf "$data" "$sockets"
  mkdir -p "$data" "$sockets"
  if [ "$(id -u)" -eq 0 ]; then
    chown postgres: "$dir" "$data" "$sockets"
    # The server user must be able to reach its folder.
    p="$dir"
    while [ "$p" != "/" ]; do p="$(dirname "$p")"; chmod o+x "$p" 2>/dev/null || true; done
  fi
  run "$bin/initdb" -D "$data" -U "$user" -A trust -E UTF8 --locale=C.UTF-8 >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log" >&2; exit 1; }
  cat >>"$data/postgresql.conf" <<CONF
port = $port
listen_addresses = 'localhost'
unix_socket_directories = '$sockets'
fsync = off
max_connections = 60
CONF
fi

# One role must give its password, so that the tests can see a wrong one refused.
if ! grep -q tillora_pw "$data/pg_hba.conf"; then
  { printf 'host all tillora_pw 127.0.0.1/32 scram-sha-256\nhost all tillora_pw ::1/128 scram-sha-256\n'
    cat "$data/pg_hba.conf"; } >"$dir/pg_hba.new"
  cat "$dir/pg_hba.new" >"$data/pg_hba.conf"
  rm -f "$dir/pg_hba.new"
  run "$bin/pg_ctl" -D "$data" status >/dev/null 2>&1 && run "$bin/pg_ctl" -D "$data" reload >/dev/null
fi

if ! run "$bin/pg_ctl" -D "$data" status >/dev/null 2>&1; then
  run "$bin/pg_ctl" -D "$data" -l "$dir/server.log" -w -t 60 start >/dev/null ||
    { tail -n 20 "$dir/server.log" >&2; exit 1; }
fi
if ! run "$bin/psql" -h "$sockets" -p "$port" -U "$user" -d postgres -Atqc \
  "select 1 from pg_database where datname = '$database'" | grep -q 1; then
  run "$bin/createdb" -h "$sockets" -p "$port" -U "$user" "$database"
fi
echo "$url"
