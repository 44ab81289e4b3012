#!/usr/bin/env python3
"""Fails when a room of src/ includes a header or links a library it must not know.

The rooms form layers and every dependency points downwards; a room of the user interface never
reaches sideways into another room. Two kinds of edge are read: the includes of every source file
(quoted ones name a room's header, angle ones may name a Qt module's), and the libraries that the
CMakeLists.txt of every room link. The table below is the whole rule.

Usage: check_layering.py SRC-DIR QT-INCLUDE-DIR
"""
import pathlib
import re
import sys

WIDGETS = {"QtCore", "QtGui", "QtWidgets"}
# room: (the rooms it may use, the Qt modules it may use)
ROOMS = {
    "platform": (set(), {"QtCore"}),
    "platform/desktop": ({"platform"}, WIDGETS),
    "simulation": ({"platform"}, {"QtCore"}),
    "presentation": ({"platform"}, {"QtCore"}),
    "statistics": (set(), set()),
    "chart": ({"statistics"}, {"QtCore", "QtGui", "QtSvg"}),
    "cli": ({"chart", "statistics", "simulation", "presentation", "platform"}, set()),
    "ui/field": ({"presentation", "platform/desktop", "platform"}, WIDGETS),
    "ui/grid": ({"platform/desktop", "platform"}, WIDGETS),
    "ui/window": ({"ui/field", "ui/grid", "simulation", "presentation",
                   "platform/desktop", "platform"}, WIDGETS),
    # Qt Svg for the build tool that writes the scalable icon; check_build_lines.py makes sure
    # the program itself does not link it.
    "app": ({"ui/window", "presentation", "platform/desktop", "platform"}, WIDGETS | {"QtSvg"}),
}
# Libraries of the system that any room may link.
SYSTEM_LIBRARIES = {"Threads::Threads"}
# Libraries of the system that belong to the operating system's layer alone.
OWN_SYSTEM_LIBRARIES = {"platform/desktop": {"PkgConfig::WaylandClient", "user32", "gdi32"}}

QUOTED = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
ANGLED = re.compile(r"^\s*#\s*include\s+<([^>]+)>")
LINK = re.compile(r"target_link_libraries\s*\(([^)]*)\)", re.DOTALL)
TARGET = re.compile(r"(?:add_library|add_executable|triebwerke_room)\s*\(\s*([A-Za-z0-9_.+-]+)")
KEYWORDS = {"PUBLIC", "PRIVATE", "INTERFACE"}


def room_of(path: str):
    for room in sorted(ROOMS, key=len, reverse=True):
        if path == room or path.startswith(room + "/"):
            return room
    return None


def qt_modules(qt_include: pathlib.Path) -> dict[str, set[str]]:
    """Every header name of Qt's include folder with the modules that hold it."""
    modules: dict[str, set[str]] = {}
    for module in qt_include.glob("Qt*"):
        if module.is_dir():
            for header in module.iterdir():
                modules.setdefault(header.name, set()).add(module.name)
    return modules


def qt_module_of(header: str, modules: dict[str, set[str]]) -> set[str]:
    first, _, rest = header.partition("/")
    if rest and first.startswith("Qt"):
        return {first}
    return modules.get(header, set())


def include_problems(src: pathlib.Path, modules: dict[str, set[str]]) -> list[str]:
    problems = []
    for file in sorted(src.rglob("*")):
        if file.suffix not in {".cpp", ".h"}:
            continue
        relative = file.relative_to(src).as_posix()
        owner = room_of(relative)
        if owner is None:
            problems.append(f"{relative}: lies in no room (src/ui holds only its rooms)")
            continue
        rooms, qt = ROOMS[owner]
        for number, line in enumerate(file.read_text(encoding="utf-8").splitlines(), 1):
            quoted = QUOTED.match(line)
            if quoted:
                header = quoted.group(1)
                if ".." in header.split("/"):
                    problems.append(f"{relative}:{number}: includes {header}, a path that climbs "
                                    "out of its folder; name the header from src/")
                    continue
                target = room_of(header)
                if target is None:
                    if not (file.parent / header).exists():
                        problems.append(f"{relative}:{number}: includes {header}, of no room")
                elif target != owner and target not in rooms:
                    problems.append(f"{relative}:{number}: {owner} must not include {header}")
                continue
            angled = ANGLED.match(line)
            if angled:
                held_by = qt_module_of(angled.group(1), modules)
                if held_by and not held_by & qt:
                    problems.append(f"{relative}:{number}: {owner} must not include "
                                    f"<{angled.group(1)}> of {', '.join(sorted(held_by))}")
    return problems


def cmake_commands(text: str) -> str:
    return "\n".join(line.split("#", 1)[0] for line in text.splitlines())


def link_problems(src: pathlib.Path) -> list[str]:
    lists = sorted(src.rglob("CMakeLists.txt"))
    room_of_target = {}
    for cmake in lists:
        room = room_of(cmake.parent.relative_to(src).as_posix())
        for target in TARGET.findall(cmake_commands(cmake.read_text(encoding="utf-8"))):
            room_of_target[target] = room
    problems = []
    for cmake in lists:
        relative = cmake.relative_to(src).as_posix()
        for arguments in LINK.findall(cmake_commands(cmake.read_text(encoding="utf-8"))):
            target, *items = arguments.split()
            owner = room_of_target.get(target)
            if owner is None:
                problems.append(f"{relative}: links {target}, a target of no room")
                continue
            rooms, qt = ROOMS[owner]
            for item in items:
                if (item in KEYWORDS or item in SYSTEM_LIBRARIES
                        or item in OWN_SYSTEM_LIBRARIES.get(owner, set())):
                    continue
                if item.startswith("Qt6::"):
                    if "Qt" + item.removeprefix("Qt6::") not in qt:
                        problems.append(f"{relative}: {owner} must not link {item}")
                elif item in room_of_target:
                    used = room_of_target[item]
                    if used != owner and used not in rooms:
                        problems.append(f"{relative}: {owner} must not link {item} ({used})")
                else:
                    problems.append(f"{relative}: {target} links {item}, which is neither a "
                                    "room's library nor a Qt module")
    return problems


def main(argv: list[str]) -> int:
    if len(argv) != 3:
        print(__doc__.strip().splitlines()[-1], file=sys.stderr)
        return 2
    src = pathlib.Path(argv[1]).resolve()
    modules = qt_modules(pathlib.Path(argv[2]))
    if "QWidget" not in modules:
        print(f"{argv[2]} holds no Qt module with QWidget: not Qt's include folder",
              file=sys.stderr)
        return 2
    problems = include_problems(src, modules) + link_problems(src)
    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
