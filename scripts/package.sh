#!/usr/bin/env bash
# Builds the Debian package triebwerke_<version>_<architecture>.deb from a release build of its
# own (build/package) and prints its path. Install it with: sudo apt install ./triebwerke_...deb
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
scripts/ensure-packages.sh package

tree=build/package
log=build/package.log
mkdir -p build
if ! { cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
           -DTRIEBWERKE_BENCHMARKS=OFF "$@" &&
       cmake --build "$tree" &&
       cpack --config "$tree/CPackConfig.cmake" -B "$tree/dist"; } >"$log" 2>&1; then
    cat "$log" >&2
    echo "Packaging failed (log: $log)" >&2
    exit 1
fi
ls "$PWD/$tree"/dist/triebwerke_*.deb
