#!/bin/sh
# Builds the library and runs the whole test suite.
#   tools/run_tests.sh              normal build in build/
#   tools/run_tests.sh --sanitize   AddressSanitizer + UBSan build in build-asan/
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc 2>/dev/null || echo 2)
if [ "${1:-}" = "--sanitize" ]; then
    build="$root/build-asan"
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOSTRIM_SANITIZE=ON -DOSTRIM_BUILD_BENCHMARKS=OFF
else
    build="$root/build"
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$build" -j "$jobs"
cd "$build"
ctest --output-on-failure -j "$jobs"
