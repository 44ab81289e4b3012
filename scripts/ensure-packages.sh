#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, and stays silent when
# they are all there already. Usage: ensure-packages.sh [run|test|package]
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-svg-dev libwayland-dev qt6-wayland
          qt6-translations-l10n fonts-dejavu-core fonts-wine)
# The Debian package: dpkg-shlibdeps (dpkg-dev) finds its dependencies, CPack recognises the
# binaries with file, appstreamcli checks the AppStream metainfo and lintian the whole package.
packaging=(dpkg-dev file appstream lintian)
# The desktop tests declare a DPI with xrdb and read window properties with xprop; a screen
# reader's view comes through AT-SPI (at-spi2-core, python3-pyatspi, a session bus from dbus);
# Wayland is weston's; the fuzz targets are built by clang with its libFuzzer runtime.
case "${1:-run}" in
    test) packages+=(libgtest-dev libgmock-dev libbenchmark-dev python3 xvfb xauth xdotool xclip
                     x11-xserver-utils x11-utils weston at-spi2-core python3-pyatspi dbus
                     clang-format clang libclang-rt-14-dev man-db
                     "${packaging[@]}") ;;
    package) packages+=("${packaging[@]}") ;;
esac

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

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
