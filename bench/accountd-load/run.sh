#!/usr/bin/env bash
# Starts warrow-accountd from the default build on a free loopback port and
# runs the load generator against it: closed loop at 10, 1000 and 5000
# connections, then 50,000 logins per second paced over 1000 connections.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${BUILD:-build/default}
cmake --build "$build" -j 2 --target warrow-accountd warrow-loadgen >/dev/null
seconds=${SECONDS_PER_RUN:-5}

work=$(mktemp -d)
"$build/server/warrow-accountd" --port 0 --db "$work/accounts.db" --current-version 1_0_0_0 2>"$work/server.log" &
server=$!
trap 'kill $server 2>/dev/null; wait $server 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 50); do
  port=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$work/server.log")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { cat "$work/server.log"; exit 1; }

loadgen="$build/bench/accountd-load/warrow-loadgen"
for n in 10 1000 5000; do
  "$loadgen" --port "$port" --connections "$n" --seconds "$seconds"
done
"$loadgen" --port "$port" --connections 1000 --seconds "$seconds" --rate 50000
