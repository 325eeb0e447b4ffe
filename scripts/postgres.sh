#!/usr/bin/env bash
# Runs a command against a throw-away PostgreSQL server:
#
#     bash scripts/postgres.sh COMMAND [ARGS...]
#
# Creates a cluster in a temporary folder (initdb as the unprivileged postgres
# user when run as root), listening only on a Unix socket in that folder (no
# TCP port at all), creates the databases lumo_hr and lumo_rcms with the host's
# PostgreSQL schema, exports their ODBC connection strings as LUMO_TEST_PG_HR
# and LUMO_TEST_PG_RCMS (what the tests read; each test copies the two as
# templates into databases of its own), runs the command and exits with its
# status. The server is
# stopped and the folder removed on every way out, failures and Ctrl-C too.
set -euo pipefail

if [ $# -eq 0 ]; then
  echo "usage: $0 COMMAND [ARGS...]" >&2
  exit 2
fi

BIN=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
if [ -z "$BIN" ] || [ ! -x "$BIN/initdb" ]; then
  echo "postgres.sh: PostgreSQL is not installed (bash scripts/setup.sh installs it)" >&2
  exit 1
fi

# The server refuses to run as root; root hands the cluster to postgres.
AS=()
if [ "$(id -u)" -eq 0 ]; then
  AS=(runuser -u postgres --)
fi

ROOT=$(mktemp -d /tmp/lumo-pg.XXXXXX)
chmod 755 "$ROOT"
[ ${#AS[@]} -eq 0 ] || chown postgres: "$ROOT"
DATA="$ROOT/data"

cleanup() {
  local status=$?
  trap - EXIT INT TERM
  if [ -f "$DATA/postmaster.pid" ]; then
    # Immediate: the run is over, nothing on this server is worth a checkpoint.
    "${AS[@]}" "$BIN/pg_ctl" -D "$DATA" -m immediate -w -t 30 stop >/dev/null 2>&1 || true
    # A server that did not go within the time is ended by its own id.
    if [ -f "$DATA/postmaster.pid" ]; then
      pid=$(head -n 1 "$DATA/postmaster.pid" 2>/dev/null || true)
      [ -z "$pid" ] || kill -9 "$pid" 2>/dev/null || true
    fi
  fi
  rm -rf "$ROOT"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

"${AS[@]}" "$BIN/initdb" -D "$DATA" -U postgres -A trust -E UTF8 --locale=C.UTF-8 >"$ROOT/initdb.log" 2>&1 \
  || { cat "$ROOT/initdb.log" >&2; exit 1; }

# A test server: no TCP listener, the socket in the private folder, and no
# flushing to disk (the data lives as long as the run).
"${AS[@]}" "$BIN/pg_ctl" -D "$DATA" -l "$ROOT/server.log" -w -t 60 \
  -o "-c listen_addresses='' -c unix_socket_directories='$ROOT' -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" \
  start >/dev/null || { cat "$ROOT/server.log" >&2; exit 1; }

PSQL=("$BIN/psql" -X -q -v ON_ERROR_STOP=1 -h "$ROOT" -U postgres)
SCHEMA="$(cd "$(dirname "$0")/.." && pwd)/host/schema"
"${PSQL[@]}" -d postgres -c "CREATE DATABASE lumo_hr" -c "CREATE DATABASE lumo_rcms"
"${PSQL[@]}" -d lumo_hr -f "$SCHEMA/hr.postgresql.sql"
"${PSQL[@]}" -d lumo_rcms -f "$SCHEMA/rcms.postgresql.sql"

connection() {
  echo "Driver={PostgreSQL Unicode};Servername=$ROOT;Port=5432;Database=$1;UID=postgres;"
}
export LUMO_TEST_PG_HR
export LUMO_TEST_PG_RCMS
LUMO_TEST_PG_HR=$(connection lumo_hr)
LUMO_TEST_PG_RCMS=$(connection lumo_rcms)
echo "postgres.sh: server at $ROOT (databases lumo_hr, lumo_rcms)"

"$@"
