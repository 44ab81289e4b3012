#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, and stays silent when
# they are all there already. Usage: ensure-packages.sh [run|test|package|windows]
set -euo pipefail

# The few names that differ between the releases we build on: clang's runtime (for libFuzzer)
# carries clang's major version, which is 14 on Debian 12 and 19 on Debian 13.
os_release=${TRIEBWERKE_OS_RELEASE:-/etc/os-release}
release=$( . "$os_release" 2>/dev/null; echo "${ID:-unknown}-${VERSION_ID:-${VERSION_CODENAME:-unknown}}")
case "$release" in
    debian-12) clang_runtime=libclang-rt-14-dev ;;
    debian-13) clang_runtime=libclang-rt-19-dev ;;
    *) clang_runtime= ;;
esac

packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-svg-dev libwayland-dev qt6-wayland
          qt6-translations-l10n fonts-dejavu-core fonts-wine)
# The Debian package: dpkg-shlibdeps (dpkg-dev) finds its dependencies, CPack recognises the
# binaries with file, appstreamcli checks the AppStream metainfo and lintian the whole package.
packaging=(dpkg-dev file appstream lintian)
# The desktop tests declare a DPI with xrdb and read window properties with xprop; a screen
# reader's view comes through AT-SPI (at-spi2-core, python3-pyatspi, a session bus from dbus);
# Wayland is weston's; the fuzz targets are built by clang with its libFuzzer runtime. Debian's
# screen reader itself (orca, speaking through speech-dispatcher) runs in a window manager
# (openbox), in German, whose locale is made from the sources in locales.
# The Windows stage: MinGW-w64 with POSIX threads builds Qt and the programs, Wine runs them and
# the tests, NSIS makes the installer; Qt's host tools of the same version generate its code.
windows=(g++-mingw-w64-x86-64-posix wine wine64 nsis qt6-base-dev-tools)
case "${1:-run}" in
    test) packages+=(libgtest-dev libgmock-dev libbenchmark-dev python3 xvfb xauth xdotool xclip
                     x11-xserver-utils x11-utils weston at-spi2-core python3-pyatspi dbus
                     orca speech-dispatcher openbox locales
                     clang-format clang ${clang_runtime:+"$clang_runtime"} man-db
                     "${packaging[@]}" "${windows[@]}") ;;
    windows) packages+=(libgtest-dev "${packaging[@]}" "${windows[@]}") ;;
    package) packages+=("${packaging[@]}") ;;
esac

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ -z "$clang_runtime" ]]; then
    echo "This is $release; the project knows the package names of Debian 12 and 13 only." >&2
    echo "Install these packages (or your release's names for them), then run again:" >&2
    printf '  %s\n' "${missing[@]}" >&2
    [[ "${1:-run}" != test ]] ||
        echo "  and clang's runtime with libFuzzer (Debian: libclang-rt-<clang's version>-dev)" >&2
    exit 1
fi

echo "Installing missing Debian packages: ${missing[*]}" >&2
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
log=$(mktemp)
if ! { "${sudo[@]}" apt-get update -qq && "${sudo[@]}" apt-get install -y -qq "${missing[@]}"; } >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "Could not install: ${missing[*]}" >&2
    exit 1
fi
rm -f "$log"
