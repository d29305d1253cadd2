#!/bin/bash
# Renders docs/images/browser.png: the child browser on a private Xvfb in a
# staged installation folder, with a web tree of a folder and sites and two
# tabs of an allowed local page. Needs a built ci (or given) build folder.
#
# usage: tests/browser/render-picture.sh [build folder]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build/ci}"
work="$(mktemp -d /tmp/browser-picture.XXXXXX)"
xvfb_pid=""
server_pid=""
browser_pid=""
cleanup() {
  for pid in $browser_pid $server_pid $xvfb_pid; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/folder" "$work/site" "$work/home"
cp "$build/browser/WarrowExplorer" "$work/folder/"
ln -s "$build/Resource" "$work/folder/Resource"
cat > "$work/site/index.html" <<'HTML'
<!doctype html><meta charset="utf-8"><title>动物乐园</title>
<body style="font-family:'Noto Sans CJK SC',sans-serif;background:#fffbe6;margin:40px">
<h1 style="color:#1e7fe0">动物乐园</h1>
<p style="font-size:20px">小熊、小兔和小猫在森林里玩耍。点一点，认识更多的动物朋友！</p>
<ul style="font-size:18px;line-height:1.8"><li>小熊爱吃蜂蜜</li><li>小兔跳得最高</li><li>小猫喜欢晒太阳</li></ul>
</body>
HTML
port=18764
(cd "$work/site" && exec python3 -m http.server "$port" --bind 127.0.0.1 >/dev/null 2>&1) &
server_pid=$!

ctl="$build/tools/warrowctl/warrowctl"
"$ctl" --dir "$work/folder" init >/dev/null
"$ctl" --dir "$work/folder" web add-folder 学习乐园 >/dev/null
"$ctl" --dir "$work/folder" web add-page 学习乐园 动物乐园 "http://127.0.0.1:$port/index.html" 1 >/dev/null
"$ctl" --dir "$work/folder" web add-page 学习乐园 儿童百科 "https://baike.example.com/" 2 >/dev/null
"$ctl" --dir "$work/folder" web add-folder 游戏 >/dev/null
"$ctl" --dir "$work/folder" web add-page 游戏 拼图游戏 "https://puzzle.example.org/" 1 >/dev/null

exec 3< <(Xvfb -displayfd 1 -nolisten tcp -noreset -screen 0 1280x800x24 2>/dev/null & echo "pid $!")
read -r _ xvfb_pid <&3
read -r display <&3
export DISPLAY=":$display" QT_QPA_PLATFORM=xcb XDG_DATA_HOME="$work/home" XDG_CACHE_HOME="$work/home"
cd "$work/folder"
./WarrowExplorer "http://127.0.0.1:$port/index.html" >/dev/null 2>&1 &
browser_pid=$!
# The pages are logged once loaded; then give the engine a moment to paint.
for _ in $(seq 1 600); do
  if "$ctl" --dir "$work/folder" log list 2>/dev/null | grep -q "打开了网页http://127.0.0.1:$port/index.html"; then break; fi
  sleep 0.2
done
"$build/tools/xshot/xshot" "$root/docs/images/browser.png" 3000
echo "saved $root/docs/images/browser.png"
