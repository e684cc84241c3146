#!/bin/sh
# Installs what is needed, builds the library, writes the sample data set
# and runs the sample host against it.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/tools/install_dependencies.sh"
build="$root/build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)"
"$build/tools/ostrim_sample_data" "$build/sample-data/"
"$build/tools/ostrim_sample_host" "$build/sample-data/" "$build/sample-output/"
