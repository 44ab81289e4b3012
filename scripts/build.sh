#!/usr/bin/env bash
# Configures and builds one build tree quietly; prints the compiler's output only when it fails.
# Usage: build.sh release|sanitize
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."

tree=${1:-release}
case "$tree" in
    release) flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo) ;;
    sanitize) flags=(-DCMAKE_BUILD_TYPE=Debug -DTRIEBWERKE_SANITIZE=ON) ;;
    *) echo "build.sh: unknown build tree '$tree'" >&2; exit 2 ;;
esac

log="build/$tree.log"
mkdir -p build
if ! { cmake -S . -B "build/$tree" -G Ninja "${flags[@]}" && cmake --build "build/$tree"; } >"$log" 2>&1; then
    cat "$log" >&2
    echo "Build of build/$tree failed (log: $log)" >&2
    exit 1
fi
