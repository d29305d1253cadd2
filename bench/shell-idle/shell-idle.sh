#!/usr/bin/env bash
# The child shell at rest: starts Warrow on a private Xvfb in a demo
# installation folder with three allowed applications and one running
# window, and reports the CPU time the shell uses over 10 idle seconds.
#
#   bench/shell-idle/shell-idle.sh [build folder] [--picture FILE.png]
#
# The build folder (default build/default) must hold Warrow, warrowctl,
# xshot, warrow_test_window and Resource/. With --picture the screen is saved
# before the measurement (docs/images/shell.png is made this way).
set -euo pipefail
cd "$(dirname "$0")/../.."
build="build/default"
picture=""
while [ $# -gt 0 ]; do
  case "$1" in
    --picture) picture="$(realpath -m "$2")"; shift 2 ;;
    *) build="$1"; shift ;;
  esac
done
build="$(realpath "$build")"

work="$(mktemp -d /tmp/warrow-shell-idle.XXXXXX)"
# The applications live beside the installation folder: the browser's entry
# allows every program inside it.
demo="$work/install"
apps="$work/apps"
mkdir -p "$demo" "$apps"
export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
xvfb_pid=""
shell_pid=""
cleanup() {
  [ -n "$shell_pid" ] && kill "$shell_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

cp "$build/shell/Warrow" "$demo/"
ln -s "$build/Resource" "$demo/Resource"
printf '#!/bin/sh\n' > "$demo/WarrowTray" && chmod +x "$demo/WarrowTray"
ctl="$build/tools/warrowctl/warrowctl"
"$ctl" --dir "$demo" init >/dev/null
printf '\n[System]\nID=1\n' >> "$demo/Config.ini"
# Three applications, each in a folder of its own, added through launchers
# that give them their display names.
for app in "paint 画图" "puzzle 拼图游戏" "chess 国际象棋"; do
  set -- $app
  mkdir -p "$apps/$1"
  cp "$build/tests/helpers/x11/warrow_test_window" "$apps/$1/$1"
  printf '[Desktop Entry]\nType=Application\nName=%s\nName[zh_CN]=%s\nExec=%s\n' \
    "$1" "$2" "$apps/$1/$1" > "$apps/$1.desktop"
  "$ctl" --dir "$demo" apps add "$apps/$1.desktop" >/dev/null 2>&1
done

exec 3< <(Xvfb -displayfd 1 -nolisten tcp -noreset -screen 0 1280x800x24 2>/dev/null & echo "pid $!")
read -r _ xvfb_pid <&3
read -r display <&3
export DISPLAY=":$display"

(cd "$demo" && exec ./Warrow >/dev/null 2>&1) &
shell_pid=$!
sleep 2
"$apps/puzzle/puzzle" --title 拼图游戏 --geometry 330,170,560,360 >/dev/null &
sleep 2
if [ -n "$picture" ]; then
  "$build/tools/xshot/xshot" "$picture" 2>/dev/null && echo "Picture: $picture"
fi

ticks() { awk '{ print $14 + $15 }' "/proc/$shell_pid/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep 10
after=$(ticks)
ms=$(( (after - before) * 1000 / hz ))
echo "Warrow idle over 10 s: ${ms} ms CPU time ($(awk "BEGIN { printf \"%.2f\", $ms / 100 }") % of one core)"

(cd "$demo" && ./Warrow /q)
wait "$shell_pid" 2>/dev/null || true
shell_pid=""
