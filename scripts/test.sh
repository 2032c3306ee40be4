#!/usr/bin/env bash
# Sets up, builds and runs every test: a normal build with warnings as errors, then the same
# tests under AddressSanitizer + UndefinedBehaviorSanitizer (skip with QLNREC_NO_SANITIZE=1).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQLNREC_WERROR=ON
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -j "$jobs"

if [ "${QLNREC_NO_SANITIZE:-0}" != "1" ]; then
  cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQLNREC_WERROR=ON -DQLNREC_SANITIZE=ON \
        -DQLNREC_BUILD_BENCH=OFF
  cmake --build build/asan -j "$jobs"
  ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build/asan --output-on-failure -j "$jobs"
fi
