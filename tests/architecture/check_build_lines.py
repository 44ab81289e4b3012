#!/usr/bin/env python3
"""Checks the build itself against the rooms: no compile line of the rules and numbers below the
user interface carries the include folders of Qt Gui, Widgets or Svg, and the program links no Qt
Svg (only the report tool draws SVG).

Usage: check_build_lines.py SRC-DIR COMPILE-COMMANDS PROGRAM
"""
import json
import pathlib
import subprocess
import sys

# Rooms whose compile lines see Qt Core at most.
PLAIN_ROOMS = ["platform", "simulation", "presentation", "statistics", "cli"]
FOREIGN = ["QtGui", "QtWidgets", "QtSvg"]


def main(src: str, compile_commands: str, program: str) -> int:
    problems = []
    rooms = [pathlib.Path(src, room).resolve() for room in PLAIN_ROOMS]
    desktop = pathlib.Path(src, "platform", "desktop").resolve()
    checked = 0
    for entry in json.loads(pathlib.Path(compile_commands).read_text(encoding="utf-8")):
        file = pathlib.Path(entry["file"]).resolve()
        if desktop in file.parents or not any(room in file.parents for room in rooms):
            continue
        checked += 1
        command = entry.get("command") or " ".join(entry.get("arguments", []))
        for module in FOREIGN:
            if f"/{module}" in command:
                problems.append(f"{file}: its compile line carries the include folder of {module}")
    if checked == 0:
        problems.append(f"{compile_commands} holds no compile line of {', '.join(PLAIN_ROOMS)}")

    dynamic = subprocess.run(["readelf", "--dynamic", program], capture_output=True, text=True,
                             check=True, timeout=60).stdout
    if "libQt6Widgets" not in dynamic:
        problems.append(f"{program} does not link Qt Widgets: not the program")
    if "libQt6Svg" in dynamic:
        problems.append(f"{program} links Qt Svg")

    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
