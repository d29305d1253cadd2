#!/usr/bin/env bash
# Hostile clients against fresh servers on loopback, under nice: the time to
# refuse a 1 MiB-announcing frame, an honest client beside a burst of them,
# and 5,000 connections of which a tenth are malformed (with the server's peak RSS).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${BUILD:-build/ci}
cmake --build "$build" -j 2 --target warrow-accountd warrow-faultbench >/dev/null
work=$(mktemp -d)
"$build/server/warrow-accountd" --port 0 --db "$work/accounts.db" ${ACCOUNTD_ARGS:-} 2>"$work/server.log" &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do
  port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/server.log")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { cat "$work/server.log"; exit 1; }
bench="nice -n 10 $build/bench/server-faults/warrow-faultbench"
$bench reject --port "$port" --count "${COUNT:-200}"
$bench stall --port "$port" --seconds "${STALL_SECONDS:-10}"
$bench mixed --port "$port" --connections "${CONNECTIONS:-5000}" --server-pid "$server"
