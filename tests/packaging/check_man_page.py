#!/usr/bin/env python3
"""Checks the manual page of triebwerke-report against the tool itself: it renders without a
warning, names the tool's version, and describes every option that --help lists.

Usage: check_man_page.py MAN-PAGE TOOL
"""

import os
import re
import subprocess
import sys


def main(man_page: str, tool: str) -> int:
    problems = []
    env = dict(os.environ, MANWIDTH="80", LANG="C.UTF-8")
    rendered = subprocess.run(["man", "--warnings", "-l", man_page], env=env,
                              capture_output=True, text=True, timeout=60)
    if rendered.returncode != 0 or rendered.stderr:
        problems.append(f"man reports: {rendered.stderr.strip()} (exit code "
                        f"{rendered.returncode})")
    text = rendered.stdout

    version = subprocess.run([tool, "--version"], capture_output=True, text=True, timeout=60)
    number = version.stdout.strip().removeprefix("triebwerke-report ")
    with open(man_page, encoding="utf-8") as source:
        header = next(line for line in source if line.startswith(".TH"))
    if f'"Triebwerke {number}"' not in header:
        problems.append(f"the page's title line {header.strip()!r} lacks version {number}")

    usage = subprocess.run([tool, "--help"], capture_output=True, text=True, timeout=60).stdout
    options = sorted(set(re.findall(r"^\s+(--[a-z]+)", usage, re.MULTILINE)))
    if len(options) < 2:
        problems.append(f"no options found in --help:\n{usage}")
    for option in options:
        if not re.search(rf"^\s+{option}\b", text, re.MULTILINE):
            problems.append(f"{option} is not described in the manual page")
    for name in ("report", "counts", "csv", "json", "RÜCKGABEWERT", "exact_probability",
                 "standard_error", "chi_square"):
        if name not in text:
            problems.append(f"the manual page does not mention {name}")

    for problem in problems:
        print("FAIL", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
