#!/usr/bin/env bash
# Logins per second and latency of two account servers on one PostgreSQL
# database against two on one file, in the same run: 1,000 connections in
# all (500 per server), paced at 20,000 logins/s in all, on loopback, under
# nice. PostgreSQL runs from a temporary folder (as "nobody" when root).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${BUILD:-build/ci}
pgbin=${WARROW_PG_BIN:-/usr/lib/postgresql/15/bin}
seconds=${SECONDS_PER_RUN:-5}
rate=${RATE:-20000}
cmake --build "$build" -j 2 --target warrow-accountd warrow-loadgen >/dev/null
[ -x "$pgbin/initdb" ] || { echo "no PostgreSQL in $pgbin" >&2; exit 1; }

work=$(mktemp -d /tmp/wpgload-XXXXXX)
as_owner=()
if [ "$(id -u)" = 0 ]; then chown nobody "$work"; as_owner=(runuser -u nobody --); fi
servers=()
cleanup() {
  for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  "${as_owner[@]}" "$pgbin/pg_ctl" -D "$work/data" -m fast -w stop >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
"${as_owner[@]}" "$pgbin/initdb" -D "$work/data" -A trust -U warrow -E UTF8 --no-sync >/dev/null
"${as_owner[@]}" "$pgbin/pg_ctl" -D "$work/data" -l "$work/pg.log" -w \
  -o "-k $work -c listen_addresses='' -c max_connections=100" start >/dev/null

port_of() {
  for _ in $(seq 100); do
    p=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$1" 2>/dev/null)
    [ -n "$p" ] && { echo "$p"; return; }
    sleep 0.1
  done
  cat "$1" >&2; exit 1
}
start_server() { # log, --db value, extra...
  local log=$1 db=$2; shift 2
  nice -n 10 "$build/server/warrow-accountd" --port 0 --db "$db" --max-per-address 2000 "$@" 2>"$log" &
  servers+=($!)
}

loadgen="nice -n 10 $build/bench/accountd-load/warrow-loadgen"
half=$((rate / 2))
run_pair() { # name port-a port-b
  echo "$1: two servers, 500 connections each, $half logins/s each"
  $loadgen --port "$2" --connections 500 --seconds "$seconds" --rate "$half" &
  local a=$!
  $loadgen --port "$3" --connections 500 --seconds "$seconds" --rate "$half"
  wait $a
}

uri="postgresql:///postgres?host=$work&user=warrow"
start_server "$work/pa.log" "$uri" --init-db
pa=$(port_of "$work/pa.log")
start_server "$work/pb.log" "$uri"
start_server "$work/fa.log" "$work/accounts.db"
fa=$(port_of "$work/fa.log")
start_server "$work/fb.log" "$work/accounts.db"
pb=$(port_of "$work/pb.log")
fb=$(port_of "$work/fb.log")
run_pair "file store" "$fa" "$fb"
run_pair "PostgreSQL" "$pa" "$pb"
