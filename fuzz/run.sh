#!/usr/bin/env bash
# Builds the fuzz preset and runs each libFuzzer target for a fixed number of
# inputs from a small seed corpus. Exits non-zero when a target finds a fault.
set -euo pipefail
cd "$(dirname "$0")/.."
# Runs per target, chosen so that all of them finish in about half a minute
# on two cores (FUZZ_SCALE multiplies them for a longer session). LZARI runs
# fewer: each input also goes through the slow reference coder.
scale=${FUZZ_SCALE:-1}
declare -A runs=([FrameFuzz]=4000 [LzariFuzz]=1500 [DataStreamFuzz]=50000 [IniFuzz]=50000 [CommandLineFuzz]=50000)
targets=(FrameFuzz LzariFuzz DataStreamFuzz IniFuzz CommandLineFuzz)

cmake --preset fuzz >/dev/null
cmake --build build/fuzz -j 2 --target "${targets[@]}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
seed() { mkdir -p "$work/$1"; printf "$3" >"$work/$1/$2"; }
# Login family: a register request, a refused login answer, a help answer.
seed FrameFuzz login '\x00\x03\x00\x02\x07\x00\x01\x01\x00\x00\x00\x03\x00\x05'
# Report family: an answer, and a request with two log bytes.
seed FrameFuzz report '\x01\x07\x00\x01\x00\x00\x00\x00\x11\x00\x00\x01\x00\x00\x00\x00\x00\x00\x02\x00\x00\x00ab'
# A compressed login answer (one literal byte expands to one byte, too short for its field).
seed FrameFuzz compressed '\x00\x09\x80\x01\x01\x00\x00\x00\xca\x80'
seed LzariFuzz one '\x01\x00\x00\x00\xca\x80'
seed LzariFuzz empty '\x00\x00\x00\x00'
seed LzariFuzz text 'the quick brown fox jumps over the lazy dog; the quick brown fox'
seed IniFuzz config '[System]\r\nID=5\r\n; comment\r\n[Time]\r\nPlayTime = "7200000"\r\n'
seed CommandLineFuzz exec 'game --level "two words" %%U\n'
seed DataStreamFuzz ops '\x06\x00\x01\x02\x10\x21\x05\x04abc\x00def\x00ghijklmnop'

status=0
for t in "${targets[@]}"; do
  n=$(( ${runs[$t]} * scale ))
  echo "== $t ($n runs)"
  if ! "build/fuzz/fuzz/$t" -runs="$n" -max_len=4096 -rss_limit_mb=1024 -print_final_stats=0 \
        -artifact_prefix="$work/" "$work/$t" 2>"$work/$t.log"; then
    tail -40 "$work/$t.log"
    status=1
  else
    grep -E '^#[0-9]+ +DONE' "$work/$t.log" || tail -2 "$work/$t.log"
  fi
done
exit $status
