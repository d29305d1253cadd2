#!/usr/bin/env bash
# Each program maps only the libraries its job needs. Arguments are
# NAME=PATH pairs; the rules below say, per program, which libraries must not
# appear anywhere in its dependency closure (ldd lists the transitive ones).
# A program that was not built is reported and fails the check.
set -uo pipefail

sound='libpulse|libasound'
qt='libQt6'
x11='libxcb|libX11'
suite='libWarrowCore|libGlazeUI|libDeskGuard'

forbidden_for() {
  case "$1" in
    warrow-accountd|warrow-reportd) echo "$sound|$qt|$x11|libsystemd|libdw" ;;
    WarrowSvc)                      echo "$sound|$qt|$x11" ;;
    warrowctl)                      echo "$sound|$qt|$x11" ;;
    WarrowReport)                   echo "$sound|libDeskGuard|libGlazeUI|libdw" ;;
    WarrowUpdate)                   echo "$sound|$suite" ;;
    *)                              echo "$sound" ;;
  esac
}

failed=0
checked=0
for pair in "$@"; do
  name=${pair%%=*}
  path=${pair#*=}
  if [ ! -x "$path" ]; then
    echo "FAIL $name: no program at $path"
    failed=1
    continue
  fi
  libs=$(ldd "$path" | awk '{print $1}')
  if echo "$libs" | grep -q 'not found'; then
    echo "FAIL $name: unresolved libraries"
    ldd "$path" | grep 'not found'
    failed=1
  fi
  pattern=$(forbidden_for "$name")
  bad=$(echo "$libs" | grep -E "$pattern" | tr '\n' ' ')
  if [ -n "$bad" ]; then
    echo "FAIL $name maps $bad(none of /$pattern/ belongs there)"
    failed=1
  else
    echo "ok   $name"
  fi
  checked=$((checked + 1))
done
[ "$checked" -gt 0 ] || { echo "no program given"; exit 1; }
exit $failed
