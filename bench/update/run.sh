#!/usr/bin/env bash
# Download throughput of WarrowUpdate against curl, both fetching the same
# package from the same loopback static server (python3 -m http.server),
# and the updater's peak memory, for two package sizes so that growth with
# the size would show. The updater's time includes its start, the server
# probe, the version list and the SHA-256 check it computes while it writes.
#
#   bash bench/update/run.sh            # 200 MB and 20 MB, 3 runs each
#   SIZES_MB="500" RUNS=1 bash bench/update/run.sh
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${BUILD:-build/default}
[ -n "${NO_BUILD:-}" ] || cmake --build "$build" -j 2 --target WarrowUpdate >/dev/null
updater="$PWD/$build/update/WarrowUpdate"
runs=${RUNS:-3}

work=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill $server 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/runtime" "$work/site"
chmod 700 "$work/runtime"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/xdg-open" # the package is not installed
chmod +x "$work/bin/xdg-open"

python3 -u -m http.server 0 --bind 127.0.0.1 --directory "$work/site" >"$work/server.log" 2>&1 &
server=$!
for _ in $(seq 100); do
  port=$(sed -n 's/.* port \([0-9]*\) .*/\1/p' "$work/server.log")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { cat "$work/server.log"; exit 1; }

# Best of the runs: the machine is shared, the best run is the least disturbed.
best() { sort -n | head -1; }

for mb in ${SIZES_MB:-200 20}; do
  package="$work/warrow_${mb}mb.deb"
  head -c $((mb * 1024 * 1024)) /dev/urandom >"$package"
  rm -f "$work/site/Warrow.ini"
  tools/publish-update "$package" "1_1_0_$mb" "$work/site" >/dev/null
  url="http://127.0.0.1:$port/$(basename "$package")"

  curl_times=() update_times=() update_rss=()
  for _ in $(seq "$runs"); do
    rm -f "$work/curl.out"
    curl_times+=("$(curl -s -o "$work/curl.out" -w '%{time_total}' "$url")")

    rm -rf "$work/install" && mkdir -p "$work/install"
    printf '[Loopback]\nAddress=http://127.0.0.1:%s/\n' "$port" >"$work/install/Update.ini"
    # Wall time and the peak resident size of the updater, from its rusage.
    read -r seconds rss < <(cd "$work/install" && PATH="$work/bin:$PATH" XDG_RUNTIME_DIR="$work/runtime" \
      QT_QPA_PLATFORM=offscreen python3 -c '
import resource, subprocess, sys, time
start = time.monotonic()
code = subprocess.run(sys.argv[1:]).returncode
print(time.monotonic() - start if code == 0 else "failed", resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
' "$updater" '[Warrow][1_0_0_5]' -b)
    cmp -s "$package" "$work/install/Update/$(basename "$package")" || { echo "updater: package differs"; exit 1; }
    update_times+=("$seconds")
    update_rss+=("$rss")
  done
  curl_s=$(printf '%s\n' "${curl_times[@]}" | best)
  update_s=$(printf '%s\n' "${update_times[@]}" | best)
  rss_kb=$(printf '%s\n' "${update_rss[@]}" | sort -n | tail -1)
  awk -v mb="$mb" -v c="$curl_s" -v u="$update_s" -v rss="$rss_kb" 'BEGIN {
    printf "%4d MB  curl %6.3f s (%7.1f MB/s)  WarrowUpdate %6.3f s (%7.1f MB/s)  ratio %.2f  peak RSS %d KB\n",
      mb, c, mb / c, u, mb / u, c / u, rss }'
done
