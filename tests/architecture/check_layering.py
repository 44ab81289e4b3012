#!/usr/bin/env python3
"""Fails when a source file includes a header of a module it must not know.

The modules form layers and every dependency points downwards; a room of the user interface never
reaches sideways into another room. The table below is the whole rule.
"""
import pathlib
import re
import sys

ALLOWED = {
    "platform": set(),
    "simulation": {"platform"},
    "presentation": {"platform"},
    "cli": {"simulation", "presentation", "platform"},
    "ui/field": {"presentation", "platform"},
    "ui/grid": {"presentation", "platform"},
    "ui/window": {"ui/field", "ui/grid", "simulation", "presentation", "platform"},
    "app": {"ui/window", "ui/field", "ui/grid", "simulation", "presentation", "platform"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def module_of(path: str):
    for module in sorted(ALLOWED, key=len, reverse=True):
        if path == module or path.startswith(module + "/"):
            return module
    return None


def main() -> int:
    src = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src").resolve()
    problems = []
    for file in sorted(src.rglob("*")):
        if file.suffix not in {".cpp", ".h"}:
            continue
        relative = file.relative_to(src).as_posix()
        owner = module_of(relative)
        if owner is None:
            problems.append(f"{relative}: lies in no module (src/ui holds only its rooms)")
            continue
        for number, line in enumerate(file.read_text(encoding="utf-8").splitlines(), 1):
            match = INCLUDE.match(line)
            if not match:
                continue
            if ".." in match.group(1).split("/"):
                problems.append(f"{relative}:{number}: includes {match.group(1)}, a path that "
                                "climbs out of its folder; name the header from src/")
                continue
            target = module_of(match.group(1))
            if target is None:
                if not (file.parent / match.group(1)).exists():
                    problems.append(f"{relative}:{number}: includes {match.group(1)}, of no module")
            elif target != owner and target not in ALLOWED[owner]:
                problems.append(f"{relative}:{number}: {owner} must not include {match.group(1)}")
    for problem in problems:
        print(problem, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
