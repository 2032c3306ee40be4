#!/usr/bin/env bash
# Sets up, builds and starts qlnrec. With no voice modem attached it offers a simulated line.
# Extra arguments go to the program (for example: --lines sim:2).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQLNREC_WERROR=ON
cmake --build build/release -j "$(nproc)" --target qlnrec SigScan
exec build/release/bin/qlnrec "$@"
