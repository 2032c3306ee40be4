#!/usr/bin/env bash
# Sets up, builds and starts qlnrec. With no voice modem attached and no arguments it starts the
# demonstration (qlnrec --demo): a simulated call answered in a profile of its own.
# Extra arguments go to the program (for example: --lines sim:2).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQLNREC_WERROR=ON
cmake --build build/release -j "$(nproc)" --target qlnrec SigScan
if [ $# -eq 0 ] && ! compgen -G '/dev/ttyACM*' >/dev/null && ! compgen -G '/dev/ttyUSB*' >/dev/null; then
  echo "No voice modem found: starting the demonstration call (qlnrec --demo)."
  echo "Your own settings and recordings are not touched; run build/release/bin/qlnrec for the program itself."
  set -- --demo
fi
exec build/release/bin/qlnrec "$@"
