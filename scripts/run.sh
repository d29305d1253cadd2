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

program=Warrow
picture="$stage/screenshot.png"
if [ "${1:-}" = console ]; then
  # The parent console instead of the shell. When Config.ini points at this
  # machine, a local warrow-accountd answers it for as long as it runs.
  program=WarrowTray
  picture="$stage/console-screenshot.png"
  ip="$(sed -n '/^\[Network\]/,/^\[/s/^Ip=//p' Config.ini | head -n1 | tr -d '\r')"
  port="$(sed -n '/^\[Network\]/,/^\[/s/^Port=//p' Config.ini | head -n1 | tr -d '\r')"
  case "$ip" in
  127.0.0.1 | localhost)
    "$stage/warrow-accountd" --port "${port:-18000}" --db "$stage/accounts.db" &
    accountd_pid=$!
    echo "warrow-accountd on $ip:${port:-18000} (accounts in $stage/accounts.db)"
    ;;
  esac
fi

accountd_pid="${accountd_pid:-}"
runtime=""
xvfb_pid=""
program_pid=""
cleanup() {
  for pid in "$program_pid" "$xvfb_pid" "$accountd_pid"; do
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  done
  if [ -n "$runtime" ]; then rm -rf "$runtime"; fi
}
trap cleanup EXIT

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  if [ "$program" = Warrow ]; then
    echo "Starting the child shell on $DISPLAY. Leave it with its start button"
    echo "(no account yet: any password), or, as root: $stage/Warrow /q"
  else
    echo "Starting the parent console on $DISPLAY; it ends with its exit button or: $stage/WarrowTray /q"
  fi
  "./$program" >/dev/null || true
  exit 0
fi

# No X server: a private X server and runtime folder (so nothing here meets a
# console or shell of a real session), a picture, and the program ended again.
runtime="$(mktemp -d /tmp/warrow-run.XXXXXX)"
export XDG_RUNTIME_DIR="$runtime"
exec 3< <(Xvfb -displayfd 1 -nolisten tcp -noreset -screen 0 1280x800x24 2>/dev/null & echo "pid $!")
read -r _ xvfb_pid <&3
read -r display <&3
export DISPLAY=":$display"
echo "No X display: starting $program on a private Xvfb ($DISPLAY)"
"./$program" >/dev/null &
program_pid=$!
if "$root/build/programs/tools/xshot/xshot" "$picture" 4000 2>/dev/null; then
  echo "Screenshot: $picture"
else
  echo "No screenshot could be taken"
fi
# "/q" ends the console; the shell takes it only from root or the service's
# user, so for anyone else it is ended like any program.
"./$program" /q || true
if ! timeout 10 tail --pid="$program_pid" -f /dev/null; then
  kill "$program_pid" 2>/dev/null || true
fi
wait "$program_pid" || true
program_pid=""
echo "$program ended"
