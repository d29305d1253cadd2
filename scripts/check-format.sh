#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what the project's .clang-format
# makes of it. `scripts/check-format.sh --fix` formats them in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.hpp' '*.cc')
[ ${#files[@]} -eq 0 ] && exit 0
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
if ! clang-format --dry-run -Werror "${files[@]}" 2>/tmp/warrow-format.$$; then
  grep -E '^[^ ].*: error:' /tmp/warrow-format.$$ | cut -d: -f1 | sort -u | sed 's/^/unformatted: /'
  rm -f /tmp/warrow-format.$$
  echo "Run scripts/check-format.sh --fix and commit the result." >&2
  exit 1
fi
rm -f /tmp/warrow-format.$$
