#!/bin/sh
# Checks that the analysis library shows exactly Dec, Slc and Fbs in its dynamic symbol table
# and needs nothing from the C++ runtime.
set -u
lib="$1"
status=0

defined=$(nm -D --defined-only "$lib" | awk '{print $NF}' | sort | tr '\n' ' ')
if [ "$defined" != "Dec Fbs Slc " ]; then
  echo "unexpected defined dynamic symbols: $defined"
  status=1
fi

if readelf -d "$lib" | grep NEEDED | grep -q 'libstdc++'; then
  echo "library depends on libstdc++"
  status=1
fi

cxx=$(nm -D --undefined-only "$lib" | awk '{print $NF}' | grep -E '^_Z|GLIBCXX|CXXABI' | tr '\n' ' ')
if [ -n "$cxx" ]; then
  echo "library refers to C++ runtime symbols: $cxx"
  status=1
fi

if [ "$status" -eq 0 ]; then
  echo "exports: $defined"
fi
exit "$status"
