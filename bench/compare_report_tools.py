#!/usr/bin/env python3
"""Times two builds of triebwerke-report side by side on the same large report and prints wall
time and peak memory of each, and their ratios.

Usage: compare_report_tools.py OLD-TOOL NEW-TOOL [--engines N] [--runs M] [--rounds R]
                               [--target T] [--extra "ARGUMENTS"]

Both tools first print the report once into a pipe, where their outputs are compared byte for
byte; then they run alternately R times each with stdout on /dev/null, so that a busy machine
slows both alike. The figures are the best of the rounds. --extra passes further arguments to the
new tool only (for example --exact), to compare it with the old tool's plain report.
"""

from __future__ import annotations

import argparse
import hashlib
import os
import shlex
import subprocess
import sys
import time


def digest(tool: str, arguments: list[str], env: dict[str, str]) -> str:
    process = subprocess.Popen([tool, *arguments], stdout=subprocess.PIPE, env=env)
    hasher = hashlib.sha256()
    assert process.stdout is not None
    while chunk := process.stdout.read(1 << 20):
        hasher.update(chunk)
    if process.wait() != 0:
        sys.exit(f"{tool} failed with exit code {process.returncode}")
    return hasher.hexdigest()


def measure(tool: str, arguments: list[str], env: dict[str, str]) -> tuple[float, int]:
    """Wall time in seconds and peak resident memory in KiB of one run."""
    with open(os.devnull, "wb") as sink:
        start = time.perf_counter()
        process = subprocess.Popen([tool, *arguments], stdout=sink, env=env)
        _, status, usage = os.wait4(process.pid, 0)
        elapsed = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"{tool} failed with status {status}")
    return elapsed, usage.ru_maxrss


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("old")
    parser.add_argument("new")
    parser.add_argument("--engines", default="10000000")
    parser.add_argument("--runs", default="10")
    parser.add_argument("--rounds", type=int, default=3)
    parser.add_argument("--target", type=float)
    parser.add_argument("--extra", type=shlex.split, default=[])
    options = parser.parse_args()

    env = {k: v for k, v in os.environ.items() if not k.startswith("LC_")}
    env["LANG"] = "de_DE.UTF-8"
    arguments = ["--engines", options.engines, "--reliability", "0,999", "--runs", options.runs,
                 "--seed", "1"]
    new_arguments = arguments + options.extra
    if not options.extra and digest(options.old, arguments, env) != digest(
            options.new, arguments, env):
        sys.exit("the two tools print different reports")

    old_runs, new_runs = [], []
    for _ in range(options.rounds):
        old_runs.append(measure(options.old, arguments, env))
        new_runs.append(measure(options.new, new_arguments, env))
    old_time, new_time = min(t for t, _ in old_runs), min(t for t, _ in new_runs)
    old_memory, new_memory = min(m for _, m in old_runs), min(m for _, m in new_runs)
    print(f"report of {options.engines} engines, {options.runs} runs, best of {options.rounds}")
    print(f"  old {' '.join(arguments)}: {old_time:.2f} s, {old_memory / 1024:.0f} MiB")
    print(f"  new {' '.join(new_arguments)}: {new_time:.2f} s, {new_memory / 1024:.0f} MiB")
    print(f"  time old/new: {old_time / new_time:.1f}, memory old/new: "
          f"{old_memory / new_memory:.1f}")
    if options.target is not None:
        reached = old_time / new_time >= options.target
        print(f"  target: {options.target:g} times as fast, {'met' if reached else 'missed'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
