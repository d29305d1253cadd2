#!/usr/bin/env bash
# Installs what is missing, builds, stages an installation folder under
# build/stage and starts the child desktop there: on $DISPLAY when an X
# server answers there, otherwise on a private Xvfb, where a screenshot is
# saved before the shell is ended again.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

root="$PWD"
stage="$root/build/stage"
# Only what the installation folder holds is built: no tests, no benchmarks.
cmake --preset programs >/dev/null
cmake --build --preset programs -j "$(nproc)"
cmake --install build/programs --prefix "$stage" >/dev/null
"$stage/warrowctl" --dir "$stage" init
# The service writes System/ID the first time it runs; without it no program
# loads Config.ini. Stand in for it when it has never run here.
if ! grep -q '^ID=' "$stage/Config.ini"; then
  printf '\n[System]\nID=%d\n' "$$" >> "$stage/Config.ini"
fi

echo "Installation folder: $stage"
cd "$stage"
for what in config "apps list"; do
  echo "== warrowctl $what"
  # shellcheck disable=SC2086
  ./warrowctl $what 2>/dev/null || true
done

case "${1:-}" in
console)
  # The parent console instead of the shell. When Config.ini points at this
  # machine, a local warrow-accountd answers it for as long as it runs.
  ip="$(sed -n '/^\[Network\]/,/^\[/s/^Ip=//p' Config.ini | head -n1 | tr -d '\r')"
  port="$(sed -n '/^\[Network\]/,/^\[/s/^Port=//p' Config.ini | head -n1 | tr -d '\r')"
  accountd_pid=""
  console_xvfb=""
  stop_console_helpers() {
    if [ -n "$accountd_pid" ]; then kill "$accountd_pid" 2>/dev/null || true; fi
    if [ -n "$console_xvfb" ]; then kill "$console_xvfb" 2>/dev/null || true; fi
  }
  trap stop_console_helpers EXIT
  case "$ip" in
  127.0.0.1 | localhost)
    "$stage/warrow-accountd" --port "${port:-18000}" --db "$stage/accounts.db" &
    accountd_pid=$!
    echo "warrow-accountd on $ip:${port:-18000} (accounts in $stage/accounts.db)"
    ;;
  esac
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "Starting the parent console on $DISPLAY; it ends with its exit button or: $stage/WarrowTray /q"
    ./WarrowTray >/dev/null || true
    exit 0
  fi
  export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$(mktemp -d /tmp/warrow-run.XXXXXX)}"
  exec 4< <(Xvfb -displayfd 1 -nolisten tcp -noreset -screen 0 1280x800x24 2>/dev/null & echo "pid $!")
  read -r _ console_xvfb <&4
  read -r display <&4
  export DISPLAY=":$display"
  echo "No X display: starting the parent console on a private Xvfb ($DISPLAY)"
  ./WarrowTray >/dev/null &
  console_pid=$!
  sleep 4
  "$root/build/programs/tools/xshot/xshot" "$stage/console-screenshot.png" 2>/dev/null &&
    echo "Screenshot of the console: $stage/console-screenshot.png"
  ./WarrowTray /q
  wait "$console_pid" || true
  echo "The parent console ended (WarrowTray /q)"
  exit 0
  ;;
esac

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting the child shell on $DISPLAY. Leave it with its start button"
  echo "(no account yet: any password), or run: $stage/Warrow /q"
  exec ./Warrow >/dev/null
fi

# No X server: a private Xvfb, a picture, and the shell ended again.
runtime="$(mktemp -d /tmp/warrow-run.XXXXXX)"
export XDG_RUNTIME_DIR="$runtime"
xvfb_pid=""
shell_pid=""
cleanup() {
  if [ -n "$shell_pid" ]; then kill "$shell_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$runtime"
}
trap cleanup EXIT
exec 3< <(Xvfb -displayfd 1 -nolisten tcp -noreset -screen 0 1280x800x24 2>/dev/null & echo "pid $!")
read -r _ xvfb_pid <&3
read -r display <&3
export DISPLAY=":$display"
echo "No X display: starting the child shell on a private Xvfb ($DISPLAY)"
./Warrow >/dev/null &
shell_pid=$!
sleep 4
if "$root/build/programs/tools/xshot/xshot" "$stage/screenshot.png" 2>/dev/null; then
  echo "Screenshot of the child desktop: $stage/screenshot.png"
else
  echo "No screenshot could be taken"
fi
./Warrow /q
wait "$shell_pid" || true
shell_pid=""
echo "The child shell ended (Warrow /q)"
