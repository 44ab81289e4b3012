#!/usr/bin/env bash
# The Windows stage of ./test: builds Qt for Windows once (cached outside the repository), then
# the Windows programs, the installer and the zip, and runs the unit suite, the binary checks, the
# comparison with the Linux build's report tool and the end-to-end tests under Wine.
# Usage: test-windows.sh [LINUX-BUILD-TREE]   (the tree whose report tool the outputs must equal)
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."
scripts/ensure-packages.sh windows

linux_tree=${1:-build/release}
qt=$(scripts/build-windows-qt.sh | tail -n 1)
export TRIEBWERKE_WINDOWS_QT=$qt
# One Wine prefix for the whole stage, made anew each run: nothing of an earlier run's registry.
export TRIEBWERKE_WINE_PREFIX=$PWD/build/windows-wine
rm -rf "$TRIEBWERKE_WINE_PREFIX" "$TRIEBWERKE_WINE_PREFIX.lock"

tree=build/windows
log=build/windows.log
mkdir -p build
linux_tool=
[[ -x "$linux_tree/src/cli/triebwerke-report" ]] && linux_tool=$PWD/$linux_tree/src/cli/triebwerke-report
echo "== Windows build (MinGW-w64, Qt in $qt)"
if ! { cmake -S . -B "$tree" -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake \
           -DCMAKE_BUILD_TYPE=Release -DTRIEBWERKE_LINUX_REPORT_TOOL="$linux_tool" &&
       cmake --build "$tree" &&
       cmake --build "$tree" --target windows-installer windows-zip; } >"$log" 2>&1; then
    cat "$log" >&2
    echo "Build of $tree failed (log: $log)" >&2
    exit 1
fi

echo "== Tests (Windows build, under Wine)"
LANG=C.UTF-8 QT_QPA_PLATFORM=offscreen WINEDEBUG=-all \
    ctest --test-dir "$tree" --output-on-failure -j"$(nproc)"
