#!/bin/sh
# Builds the library as a host builds it (no tests, benchmarks or tools),
# installs it into a temporary prefix, compiles the public header on its
# own as C and as C++, then builds and runs the C host of install_check/
# against the installed package alone: once through pkg-config, once
# through find_package.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
here="$root/tools/install_check"
jobs=$(nproc 2>/dev/null || echo 2)
cc=${CC:-cc}
cxx=${CXX:-c++}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake -S "$root" -B "$work/build" -DCMAKE_BUILD_TYPE=Release \
    -DOSTRIM_BUILD_TESTS=OFF -DOSTRIM_BUILD_BENCHMARKS=OFF -DOSTRIM_BUILD_TOOLS=OFF
cmake --build "$work/build" -j "$jobs"
cmake --install "$work/build" --prefix "$work/prefix"
# From here on only the installed package exists.
rm -rf "$work/build"
mkdir "$work/empty"

pc=$(find "$work/prefix" -name OstrimMapDll.pc)
PKG_CONFIG_PATH=$(dirname "$pc")
export PKG_CONFIG_PATH
cflags=$(pkg-config --cflags OstrimMapDll)
strict="-Wall -Wextra -Werror -pedantic"

echo "install check: the header alone as C99, C11 and C++17"
# shellcheck disable=SC2086  # the flags are separate words
printf '#include <OstrimMapDll.h>\n' | "$cc" -std=c99 $strict $cflags -fsyntax-only -x c -
# shellcheck disable=SC2086
printf '#include <OstrimMapDll.h>\n' | "$cc" -std=c11 $strict $cflags -fsyntax-only -x c -
# shellcheck disable=SC2086
printf '#include <OstrimMapDll.h>\n' | "$cxx" -std=c++17 $strict $cflags -fsyntax-only -x c++ -

echo "install check: host through pkg-config"
# shellcheck disable=SC2086
"$cc" -std=c99 $strict $cflags "$here/host.c" -o "$work/host-pkgconfig" \
    $(pkg-config --libs OstrimMapDll) -Wl,-rpath,"$(pkg-config --variable=libdir OstrimMapDll)"
"$work/host-pkgconfig" "$work/empty/"

echo "install check: host through find_package"
cmake -S "$here" -B "$work/host-build" -DCMAKE_PREFIX_PATH="$work/prefix"
cmake --build "$work/host-build"
"$work/host-build/ostrim_install_check" "$work/empty/"
