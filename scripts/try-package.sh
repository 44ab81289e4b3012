#!/usr/bin/env bash
# Installs a Triebwerke package on this machine and tries it as its user would: the report tool
# prints what it printed where the package was built, and the window opens on a display.
# Usage: try-package.sh PACKAGE.deb EXPECTED-REPORT   (run as root; used by test-in-debian.sh)
set -euo pipefail
package=$(readlink -f "$1")
expected=$(readlink -f "$2")

echo "== Installing $(basename "$package") on $( . /etc/os-release; echo "$PRETTY_NAME")"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$package" >/dev/null
dpkg-query -W -f='${Package} ${Version}: ${Status}\n' triebwerke

LANG=C.UTF-8 triebwerke-report --engines 9 --reliability 0,999 --runs 1000 --seed 1 \
    | cmp - "$expected"
echo "triebwerke-report prints what it printed where it was built"

# The window: started on a virtual display, found by its title, closed again.
LANG=C.UTF-8 xvfb-run -a bash -c '
    Triebwerke & program=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible \
             --name "^Ausfallwahrscheinlichkeit von Raketentriebwerken$" | head -1)
    echo "the window is open: $(xdotool getwindowgeometry "$window" | tr "\n" " ")"
    kill "$program"
    wait "$program" || true
    [[ -n "$window" ]]
'
