#!/bin/bash
# Start of `WarrowExplorer URL` on a private Xvfb to its window on the screen
# and to the first allowed local page loaded (its "打开了网页" log line), and
# the resident memory of the browser with its engine processes with 1 and 10
# tabs. Needs a built ci (or given) build folder.
#
# usage: bench/browser/start-bench.sh [build folder] [runs]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build/ci}" && pwd)"
runs="${2:-3}"
work="$(mktemp -d /tmp/browser-bench.XXXXXX)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

ms() { date +%s%3N; }
# Resident KiB of a process and all its descendants.
tree_rss() {
  local total=0 pid
  for pid in $1 $(pgrep -P "$1") $(for c in $(pgrep -P "$1"); do pgrep -P "$c"; done); do
    total=$((total + $(awk '/VmRSS/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)))
  done
  echo $((total / 1024))
}

mkdir -p "$work/folder" "$work/site" "$work/home"
cp "$build/browser/WarrowExplorer" "$work/folder/"
ln -s "$build/Resource" "$work/folder/Resource"
printf '<!doctype html><title>Bench</title><h1>Hello</h1><p>%s</p>' "$(head -c 3000 /dev/zero | tr '\0' x)" > "$work/site/page.html"
port=18765
(cd "$work/site" && exec python3 -m http.server "$port" --bind 127.0.0.1 >/dev/null 2>&1) &
pids+=($!)
ctl="$build/tools/warrowctl/warrowctl"
"$ctl" --dir "$work/folder" init >/dev/null
"$ctl" --dir "$work/folder" web add-folder bench >/dev/null
"$ctl" --dir "$work/folder" web add-page bench page "http://127.0.0.1:$port/page.html" 1 >/dev/null
exec 3< <(Xvfb -displayfd 1 -nolisten tcp -noreset -screen 0 1280x800x24 2>/dev/null & echo "pid $!")
read -r _ xvfb <&3
pids+=("$xvfb")
read -r display <&3
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb XDG_DATA_HOME="$work/home" XDG_CACHE_HOME="$work/home"
cd "$work/folder"
url="http://127.0.0.1:$port/page.html"
for run in $(seq 1 "$runs"); do
  "$ctl" --dir . log clear >/dev/null
  args=("$url")
  start=$(ms)
  ./WarrowExplorer "${args[@]}" >/dev/null 2>&1 &
  browser=$!
  until xwininfo -root -tree 2>/dev/null | grep -q '"WarrowExplorer"'; do sleep 0.02; done
  shown=$(($(ms) - start))
  until "$ctl" --dir . log list 2>/dev/null | grep -q "打开了网页$url"; do sleep 0.05; done
  loaded=$(($(ms) - start))
  sleep 2
  one=$(tree_rss "$browser")
  kill "$browser"; wait "$browser" 2>/dev/null || true
  "$ctl" --dir . log clear >/dev/null
  ./WarrowExplorer "$url" "$url" "$url" "$url" "$url" "$url" "$url" "$url" "$url" "$url" >/dev/null 2>&1 &
  browser=$!
  until [ "$("$ctl" --dir . log list 2>/dev/null | grep -c "打开了网页$url")" -ge 10 ]; do sleep 0.1; done
  sleep 2
  ten=$(tree_rss "$browser")
  kill "$browser"; wait "$browser" 2>/dev/null || true
  echo "run $run: window shown ${shown} ms, first page loaded ${loaded} ms, resident 1 tab ${one} MiB, 10 tabs ${ten} MiB"
done
