#!/usr/bin/env bash
# Builds Qt for Windows (qtbase and qtsvg, shared) from Debian's source packages of the host's
# own Qt version with Debian's MinGW-w64 compiler, into a cache outside the repository. It builds
# only when the cache has no complete Qt of exactly these versions; then it takes a while (about
# 45 minutes on two cores) and says what it is doing. Prints the Qt's folder on its last line.
# Usage: build-windows-qt.sh [--print-prefix]
set -euo pipefail
repo=$(cd "$(dirname "$(readlink -f "$0")")/.." && pwd)

base_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
svg_version=$(dpkg-query -W -f='${Version}' qt6-svg-dev)
gcc_version=$(x86_64-w64-mingw32-g++-posix -dumpversion)
cache=${TRIEBWERKE_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/triebwerke}
key="qt-windows-base-${base_version}-svg-${svg_version}-mingw-gcc-${gcc_version}"
key=${key//[:~+]/_}
prefix="$cache/$key"

if [[ "${1:-}" == --print-prefix ]]; then
    echo "$prefix"
    exit 0
fi
if [[ -f "$prefix/.complete" ]]; then
    echo "$prefix"
    exit 0
fi

say() { echo "[$(date +%H:%M:%S)] Qt for Windows: $*" >&2; }
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)

# apt-get source needs deb-src lines for the release; add them beside the binary ones.
ensure_source_lines() {
    if apt-get source --print-uris "qt6-base=$base_version" >/dev/null 2>&1; then
        return
    fi
    local uri codename
    uri=$(grep -hoE 'https?://[^ ]+/debian/?( |$)' /etc/apt/sources.list /etc/apt/sources.list.d/* \
              2>/dev/null | head -n 1 | tr -d ' ' || true)
    codename=$( . /etc/os-release; echo "$VERSION_CODENAME")
    say "adding deb-src lines for $codename ($uri)"
    "${sudo[@]}" tee /etc/apt/sources.list.d/triebwerke-deb-src.sources >/dev/null <<SOURCES
Types: deb-src
URIs: ${uri:-http://deb.debian.org/debian}
Suites: $codename $codename-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: $codename-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    "${sudo[@]}" apt-get update -qq
}

# Ninja's progress, one line every few hundred steps instead of every step.
progress() {
    awk -v what="$1" '/^\[[0-9]+\/[0-9]+\]/ {
            split(substr($1, 2), n, "/"); n[2] = n[2] + 0
            if (n[1] % 200 == 0 || n[1] == n[2]) {
                printf "[%s] Qt for Windows: %s, step %d of %d\n", strftime("%H:%M:%S"), what, n[1], n[2]
                fflush()
            }
        }' >&2
}

run_logged() {
    local log=$1 what=$2
    shift 2
    if ! "$@" > >(tee -a "$log" | progress "$what") 2>>"$log"; then
        tail -n 60 "$log" >&2
        say "$what failed (log: $log)"
        exit 1
    fi
}

work="$cache/work-$key"
rm -rf "$work"
mkdir -p "$work"
log="$work/build.log"
say "building Qt $base_version (qtbase) and $svg_version (qtsvg) for Windows into $prefix"
say "this happens once per Qt version and takes about 45 minutes on two cores"

ensure_source_lines
say "fetching the sources"
(cd "$work" && apt-get source -qq "qt6-base=$base_version") >>"$log" 2>&1 || {
    tail -n 20 "$log" >&2; say "apt-get source qt6-base=$base_version failed"; exit 1; }
base_src=$(find "$work" -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)
# Some mirrors list qtsvg's source but do not serve it; without it the Windows programs are
# built without Qt SVG (no SVG plots) and say so.
svg_src=
if (cd "$work" && apt-get source -qq "qt6-svg=$svg_version") >>"$log" 2>&1; then
    svg_src=$(find "$work" -maxdepth 1 -type d -name 'qt6-svg-*' | head -n 1)
else
    say "the archive does not serve qt6-svg's source ($svg_version): building without Qt SVG"
fi

# Only what the program and its tests use: Core, Gui, Widgets, Test, the Windows platform plugin
# and styles. Debian's source has no wintab.h, so no tablet events; 6.4's Windows plugin does not
# compile without OpenGL, so OpenGL stays (dynamic, as Qt's default).
say "configuring qtbase"
rm -rf "$prefix"
run_logged "$log" "configuring qtbase" \
    cmake -S "$base_src" -B "$work/qtbase-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/mingw-w64-x86_64.cmake" -DTRIEBWERKE_BUILDING_QT=ON \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DFEATURE_tabletevent=OFF -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF \
        -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF \
        -DFEATURE_vulkan=OFF -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF \
        -DFEATURE_openssl=OFF -DFEATURE_sql_sqlite=OFF
say "building qtbase"
run_logged "$log" "building qtbase" cmake --build "$work/qtbase-build"
run_logged "$log" "installing qtbase" cmake --install "$work/qtbase-build"

if [[ -n "$svg_src" ]]; then
    say "configuring qtsvg"
    run_logged "$log" "configuring qtsvg" \
        cmake -S "$svg_src" -B "$work/qtsvg-build" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
            -DTRIEBWERKE_BUILDING_QT=ON \
            -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
            -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    say "building qtsvg"
    run_logged "$log" "building qtsvg" cmake --build "$work/qtsvg-build"
    run_logged "$log" "installing qtsvg" cmake --install "$work/qtsvg-build"
fi

# Qt's licence texts travel with the packages that ship its DLLs.
mkdir -p "$prefix/licenses"
cp "$base_src"/LICENSES/* "$prefix/licenses/" 2>/dev/null || cp "$base_src"/LICENSE.* "$prefix/licenses/"
cp "$base_src/debian/copyright" "$prefix/licenses/qtbase-copyright"
[[ -z "$svg_src" ]] || cp "$svg_src/debian/copyright" "$prefix/licenses/qtsvg-copyright"

touch "$prefix/.complete"
rm -rf "$work"
say "done"
echo "$prefix"
