#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
# first the Qt-free libraries under AddressSanitizer/UBSan, then the whole
# suite in the release build. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

echo "== Format of the tracked C++ files"
bash scripts/check-format.sh

jobs=$(nproc)
echo "== AddressSanitizer build of the Qt-free libraries"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 ctest --preset asan

echo "== Fuzz targets, a fixed number of runs each"
bash fuzz/run.sh

echo "== Release build of the whole suite"
cmake --preset ci >/dev/null
cmake --build --preset ci -j "$jobs"
ctest --preset ci
