#!/usr/bin/env bash
# Installs what is missing, checks the format, builds everything and runs
# every test: first the whole suite (all but the web engine) under
# AddressSanitizer/UBSan, then the fuzz targets briefly, then the whole suite
# in the release build with warnings as errors. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

echo "== Format of the tracked C++ files"
bash scripts/check-format.sh

jobs=$(nproc)
echo "== AddressSanitizer and UBSan build of the suite"
cmake --preset asan >/dev/null
cmake --build --preset asan -j "$jobs"
ctest --preset asan

echo "== Fuzz targets, a fixed number of runs each"
bash fuzz/run.sh

echo "== Release build of the whole suite"
cmake --preset ci >/dev/null
cmake --build --preset ci -j "$jobs"
ctest --preset ci
