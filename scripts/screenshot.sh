#!/usr/bin/env bash
# Takes the picture of the main window for the README: starts the built program on a virtual X
# display (German locale, 96 DPI), clicks "Simulieren" with the initial inputs, waits until the
# result grid is filled and saves the main window as PNG.
#
# Usage: scripts/screenshot.sh [BUILD-TREE [OUTPUT.png]]
#   BUILD-TREE  a built tree holding Triebwerke and tests/e2e/screen-grab (default build/release);
#               this script builds nothing (scripts/build.sh release does)
#   OUTPUT.png  where the picture goes (default docs/screenshot.png)
# Needs xvfb, xauth, xdotool and python3 (scripts/ensure-packages.sh test installs them).
set -euo pipefail
script=$(readlink -f "$0")
repository=$(dirname "$script")/..
# Paths given are taken from where the script is called; the defaults lie in the repository.
tree=$(realpath -m "${1:-$repository/build/release}")
output=$(realpath -m "${2:-$repository/docs/screenshot.png}")
cd "$repository"
program=$tree/Triebwerke
grab=$tree/tests/e2e/screen-grab
for tool in "$program" "$grab"; do
    if [[ ! -x "$tool" ]]; then
        echo "screenshot.sh: $tool is missing; build the tree first (scripts/build.sh release)" >&2
        exit 1
    fi
done

# Run the rest on a virtual display of its own.
if [[ -z "${TRIEBWERKE_SCREENSHOT_DISPLAY:-}" ]]; then
    TRIEBWERKE_SCREENSHOT_DISPLAY=1 exec timeout --kill-after=10 300 \
        xvfb-run -a -s '-screen 0 1280x800x24 -dpi 96' "$script" "$tree" "$output"
fi

title='^Ausfallwahrscheinlichkeit von Raketentriebwerken$'
scratch=$(mktemp -d)
mkdir -m 700 "$scratch/runtime"
program_pid=
finish() {
    if [[ -n "$program_pid" ]] && kill -0 "$program_pid" 2>/dev/null; then
        kill "$program_pid"
        wait "$program_pid" || true
    fi
    rm -rf "$scratch"
}
trap finish EXIT

# The program's environment is pinned: German locale, X11, nothing else of the caller's.
env -i PATH="$PATH" HOME="$HOME" DISPLAY="$DISPLAY" XAUTHORITY="${XAUTHORITY:-}" \
    LANG=de_DE.UTF-8 QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$scratch/runtime" \
    timeout --kill-after=5 240 "$program" >"$scratch/program.log" 2>&1 &
program_pid=$!

window=$(timeout 60 xdotool search --sync --onlyvisible --name "$title" | head -n 1)
timeout 10 xdotool windowfocus --sync "$window"
timeout 10 xdotool mousemove --window "$window" 425 33 click 1   # "Simulieren"
# Move the pointer off the button, so that it is not drawn hovered.
timeout 10 xdotool mousemove 1200 760

# The grid starts with 2 columns; the table of "Simulieren" has 5.
grab_window() {
    timeout 20 env QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$scratch/runtime" "$grab" "$1" "$window"
}
deadline=$((SECONDS + 120))
until grab_window "$scratch/grid.png" &&
    [[ $(timeout 20 python3 tests/e2e/e2e_harness.py grid-shape "$scratch/grid.png") == *" 5" ]]; do
    if ((SECONDS >= deadline)); then
        echo "screenshot.sh: the grid was not filled within 120 s" >&2
        cat "$scratch/program.log" >&2
        exit 1
    fi
    sleep 0.3
done

mkdir -p "$(dirname "$output")"
grab_window "$output"
echo "Saved $output"

# Close the window as its close box would; the program ends by itself.
timeout 10 python3 tests/e2e/e2e_harness.py close-window "$window"
timeout 30 tail --pid="$program_pid" -f /dev/null || true
