#!/usr/bin/env bash
# Installs what is missing, builds, stages an installation folder under
# build/stage and starts the suite's main program there.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

stage="$PWD/build/stage"
cmake --preset default >/dev/null
cmake --build --preset default -j "$(nproc)"
cmake --install build/default --prefix "$stage" >/dev/null
"$stage/warrowctl" --dir "$stage" init

echo "Installation folder: $stage"
cd "$stage"
for what in config "apps list" "web list" "log list" account; do
  echo "== warrowctl $what"
  # shellcheck disable=SC2086
  ./warrowctl $what 2>/dev/null || true
done
