#!/usr/bin/env bash
# Configures and builds one build tree quietly; prints the compiler's output only when it fails.
# Usage: build.sh release|sanitize|tsan|fuzz
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."

tree=${1:-release}
targets=()
case "$tree" in
    release) flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
    sanitize) flags=(-DCMAKE_BUILD_TYPE=Debug -DTRIEBWERKE_SANITIZE=ON) ;;
    # The simulation's threads under ThreadSanitizer: its library and its tests only, optimised
    # as in the release, so that a pass around the generator's cycle stays a matter of seconds.
    tsan)
        flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTRIEBWERKE_THREAD_SANITIZE=ON
               -DTRIEBWERKE_BENCHMARKS=OFF)
        targets=(--target simulation_tests)
        ;;
    fuzz)
        flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DTRIEBWERKE_FUZZ=ON)
        targets=(--target fuzz_targets)
        ;;
    *) echo "build.sh: unknown build tree '$tree'" >&2; exit 2 ;;
esac

log="build/$tree.log"
mkdir -p build
if ! { cmake -S . -B "build/$tree" -G Ninja "${flags[@]}" && cmake --build "build/$tree" "${targets[@]}"; } >"$log" 2>&1; then
    cat "$log" >&2
    echo "Build of build/$tree failed (log: $log)" >&2
    exit 1
fi
