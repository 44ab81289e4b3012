#!/usr/bin/env bash
# Runs ./test on a clean clone of this checkout's HEAD inside a fresh Debian root of the given
# release, as a new user of that release would, and prints the summary. Needs root.
# Usage: test-in-debian.sh 12|13 [command]   (default command: ./test; e.g. "./run" or a shell)
#
# The bootstrapped base root is cached as a tarball outside the repository
# ($TRIEBWERKE_ROOT_CACHE, default /var/cache/triebwerke); each run unpacks it anew, so every
# package ./test needs is installed by ./test itself. TRIEBWERKE_KEEP_ROOT=1 reuses the root of
# the last run instead (faster, but no longer fresh).
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."

release=${1:-13}
shift || true
case "$release" in
    12) suite=bookworm ;;
    13) suite=trixie ;;
    *) echo "test-in-debian.sh: unknown Debian release '$release' (12 or 13)" >&2; exit 2 ;;
esac
command=${*:-./test}
[[ $(id -u) -eq 0 ]] || { echo "test-in-debian.sh: needs root (chroot, mounts)" >&2; exit 2; }

if ! command -v mmdebstrap >/dev/null; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq mmdebstrap >/dev/null
fi

cache=${TRIEBWERKE_ROOT_CACHE:-/var/cache/triebwerke}
tarball=$cache/debian-$release.tar
work=${TRIEBWERKE_ROOT_WORK:-/var/tmp/triebwerke-debian-$release}
root=$work/root
mkdir -p "$cache" "$work"

if [[ ! -f "$tarball" ]]; then
    echo "== Bootstrapping Debian $release ($suite) into $tarball"
    mmdebstrap --quiet --format=tar --variant=apt --include=git,ca-certificates,procps \
        "$suite" "$tarball.part" http://deb.debian.org/debian
    mv "$tarball.part" "$tarball"
fi

if [[ "${TRIEBWERKE_KEEP_ROOT:-0}" != 1 || ! -d "$root/etc" ]]; then
    rm -rf "$root"
    mkdir -p "$root"
    tar -xf "$tarball" -C "$root"
fi

rm -rf "$root/work/triebwerke"
mkdir -p "$root/work"
git clone --quiet --no-hardlinks "$PWD" "$root/work/triebwerke"
cp /etc/resolv.conf "$root/etc/resolv.conf"

# A mount namespace of its own, so nothing stays mounted after the run. The root is bound onto
# itself so that it is a mount point: unshare --mount inside (the tests that hide a font folder)
# needs one.
# The package this machine builds is offered to the other release's users too: it has to install
# there and run, the window included. Built before the run, so that its failure shows first.
host_release=$( . /etc/os-release; echo "$VERSION_ID")
host_package=
if [[ "$host_release" != "$release" && "${TRIEBWERKE_SKIP_HOST_PACKAGE:-0}" != 1 ]]; then
    echo "== Building the package of Debian $host_release to try it on $release"
    # From a clean clone of HEAD too, so that the package is the one the run tests.
    rm -rf "$work/host-clone"
    git clone --quiet --no-hardlinks "$PWD" "$work/host-clone"
    host_package=$("$work/host-clone/scripts/package.sh" | tail -1)
    cp "$host_package" "$root/work/"
    LANG=C.UTF-8 "$work/host-clone/build/package/src/cli/triebwerke-report" --engines 9 \
        --reliability 0,999 --runs 1000 --seed 1 >"$root/work/host-report.txt"
    command="$command && scripts/try-package.sh /work/$(basename "$host_package") \
             /work/host-report.txt"
fi

start=$(date +%s)
set +e
unshare --mount --propagation private bash -euc '
    root=$1; shift
    mount --bind "$root" "$root"
    mount -t proc proc "$root/proc"
    mount --rbind /sys "$root/sys"
    mount --rbind /dev "$root/dev"
    mount -t tmpfs tmpfs "$root/tmp"
    mount -t tmpfs tmpfs "$root/run"
    exec chroot "$root" /usr/bin/env -i HOME=/root TERM="${TERM:-dumb}" \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        bash -c "cd /work/triebwerke && $*"
' bash "$root" "$command" 2>&1 | tee "$work/last-run.log"
status=${PIPESTATUS[0]}
set -e
elapsed=$(($(date +%s) - start))

echo
echo "== Debian $release ($suite): '$command' exited with $status after $((elapsed / 60)) min $((elapsed % 60)) s"
grep -E '^(\s*[0-9]+% tests passed|The following tests FAILED|\s+[0-9]+ - )' "$work/last-run.log" || true
chroot "$root" sh -c '. /etc/os-release; echo "root: $PRETTY_NAME, $(g++ --version 2>/dev/null | head -1), Qt $(dpkg-query -W -f="\${Version}" libqt6core6t64 libqt6core6 2>/dev/null)"' || true
echo "log: $work/last-run.log"
exit "$status"
