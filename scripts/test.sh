#!/usr/bin/env bash
# Sets up, builds and runs every test: a normal build with warnings as errors; the same tests under
# AddressSanitizer + LeakSanitizer (leaks fail the test) + UndefinedBehaviorSanitizer (skip with QLNREC_NO_SANITIZE=1);
# the .deb installed and run in a fresh Debian root (skip with QLNREC_NO_PACKAGE=1);
# and every fuzz target built with clang and run briefly (skip with QLNREC_NO_FUZZ=1).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
# The install script provides sox, ffmpeg, espeak-ng and the rest: a test that finds one missing
# fails instead of skipping, so a broken install step cannot hide whole-call tests.
export QLNREC_REQUIRE_TOOLS=1

# The release build is for /usr, so the same tree is also the one packaged below.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQLNREC_WERROR=ON \
      -DCMAKE_INSTALL_PREFIX=/usr
cmake --build build/release -j "$jobs"
ctest --test-dir build/release --output-on-failure -j "$jobs" --timeout 900

# The .deb installs into a fresh Debian root and plays a call there (skip with QLNREC_NO_PACKAGE=1).
if [ "${QLNREC_NO_PACKAGE:-0}" != "1" ]; then
  bash tests/package/install_and_run.sh build/release
fi

if [ "${QLNREC_NO_SANITIZE:-0}" != "1" ]; then
  cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQLNREC_WERROR=ON -DQLNREC_SANITIZE=ON \
        -DQLNREC_BUILD_BENCH=OFF -DQLNREC_TEST_TIMEOUT=900
  cmake --build build/asan -j "$jobs"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir build/asan --output-on-failure -j "$jobs" --timeout 1800
fi

if [ "${QLNREC_NO_FUZZ:-0}" != "1" ]; then
  CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DQLNREC_BUILD_BENCH=OFF
  mapfile -t fuzz_targets < <(ctest --test-dir build/fuzz -N -L fuzz | sed -n 's/.*Test *#[0-9]*: \(fuzz_[a-z_]*\)_run$/\1/p')
  cmake --build build/fuzz -j "$jobs" --target "${fuzz_targets[@]}"
  ctest --test-dir build/fuzz -L fuzz --output-on-failure -j "$jobs"
fi
