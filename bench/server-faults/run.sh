#!/usr/bin/env bash
# Hostile clients against fresh servers on loopback, under nice:
#   account server: the time to refuse a 1 MiB-announcing frame, an honest
#   client beside a burst of them, beside slow and never-reading clients, and
#   5,000 connections of which a tenth are malformed (with peak RSS);
#   report server (as root: on a 64 MiB tmpfs): 200 uploads of 1 MiB logs at
#   once into a store that fills up.
# All connections come from 127.0.0.1, so the per-address caps are raised.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${BUILD:-build/ci}
cmake --build "$build" -j 2 --target warrow-accountd warrow-reportd warrow-faultbench >/dev/null
work=$(mktemp -d)
servers=()
cleanup() {
  for pid in "${servers[@]}"; do kill "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
  if mountpoint -q "$work/reports" 2>/dev/null; then umount "$work/reports"; fi
  rm -rf "$work"
}
trap cleanup EXIT

port_of() { # log file -> port, once listening
  for _ in $(seq 100); do
    p=$(sed -n 's/.*listening on 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$1" 2>/dev/null)
    [ -n "$p" ] && { echo "$p"; return; }
    sleep 0.1
  done
  cat "$1" >&2; exit 1
}

bench="nice -n 10 $build/bench/server-faults/warrow-faultbench"
nice -n 10 "$build/server/warrow-accountd" --port 0 --db "$work/accounts.db" --max-per-address 20000 \
  --registrations-per-minute 0 ${ACCOUNTD_ARGS:-} 2>"$work/accountd.log" &
servers+=($!)
accountd=$!
port=$(port_of "$work/accountd.log")
$bench reject --port "$port" --count "${COUNT:-200}"
$bench stall --port "$port" --seconds "${STALL_SECONDS:-10}"
$bench slow --port "$port" --connections "${SLOW:-200}" --seconds "${SLOW_SECONDS:-40}"
$bench mixed --port "$port" --connections "${CONNECTIONS:-5000}" --server-pid "$accountd"

mkdir -p "$work/reports"
if [ "$(id -u)" = 0 ]; then
  mount -t tmpfs -o size=64m tmpfs "$work/reports"
else
  echo "not root: the report store is not a small tmpfs, so it will not fill up" >&2
fi
nice -n 10 "$build/server/warrow-reportd" --port 0 --store "$work/reports" --max-per-address 1000 \
  --reports-per-minute 0 --min-free-mb 0 2>"$work/reportd.log" &
servers+=($!)
port=$(port_of "$work/reportd.log")
$bench reports --port "$port" --count "${REPORTS:-200}" --store "$work/reports"
echo "report server: $(grep -c 'store full' "$work/reportd.log") 'store full' lines in its log"
