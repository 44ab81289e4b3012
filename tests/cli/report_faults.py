#!/usr/bin/env python3
"""Runs triebwerke-report under faults from outside and checks that nothing is lost.

A full disk (a file-size limit), too little memory for the picture (an address-space limit) and
closed standard descriptors: every failed run exits with 1 and its German message, an earlier plot
of the same name stays byte for byte as it was, and no partial or temporary file remains. A reader
that leaves early ends the tool by SIGPIPE (141 in a shell).

Usage: report_faults.py TOOL [--sanitized]
"""
import os
import resource
import signal
import subprocess
import sys
import tempfile

COMMAND = ["--engines", "20", "--reliability", "0,9", "--runs", "1000", "--seed", "7"]
PLOT_FAILED = "triebwerke-report: Das Diagramm konnte nicht geschrieben werden: "
NO_MEMORY = ("triebwerke-report: Das Diagramm konnte nicht gezeichnet werden: "
             "Zu wenig Arbeitsspeicher\n")
SIMULATION_NO_MEMORY = ("triebwerke-report: Die Simulation ist fehlgeschlagen: "
                        "Zu wenig Arbeitsspeicher.\n")


def limited(kind: int, size: int):
    def apply() -> None:
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(kind, (size, size))
    return apply


def run(tool: str, argv: list[str], **options) -> subprocess.CompletedProcess:
    options.setdefault("stdout", subprocess.PIPE)
    options.setdefault("stderr", subprocess.PIPE)
    return subprocess.run([tool, *argv], timeout=120, **options)


def earlier_plot(tool: str, folder: str, name: str) -> bytes:
    path = os.path.join(folder, name)
    result = run(tool, [*COMMAND, "--plot", path, "--size", "600x360"])
    if result.returncode != 0:
        raise RuntimeError(f"the earlier plot failed: {result.stderr!r}")
    with open(path, "rb") as picture:
        return picture.read()


def check_failed_plot(what: str, tool: str, argv_tail: list[str], preexec, stderr: str,
                      name: str) -> list[str]:
    """The run fails with `stderr`; an earlier file survives, a new name stays absent."""
    problems = []
    for earlier in (True, False):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, name)
            before = earlier_plot(tool, folder, name) if earlier else None
            result = run(tool, [*COMMAND, "--plot", path, *argv_tail], preexec_fn=preexec)
            found = result.stderr.decode("utf-8", errors="replace")
            expected = stderr.replace("PATH", path)
            label = f"{what}, {'over an earlier plot' if earlier else 'a new file'}"
            if result.returncode != 1 or found != expected:
                problems.append(f"{label}: exit code {result.returncode}, stderr {found!r}, "
                                f"expected {expected!r}")
            if result.stdout:
                problems.append(f"{label}: output {result.stdout[:100]!r}")
            left = sorted(os.listdir(folder))
            if left != ([name] if earlier else []):
                problems.append(f"{label}: the folder holds {left}")
            if earlier and os.path.exists(path):
                with open(path, "rb") as picture:
                    if picture.read() != before:
                        problems.append(f"{label}: the earlier plot was changed")
    return problems


def check_full_disk(tool: str) -> list[str]:
    problems = []
    # 8 KiB: the earlier pictures are smaller, the new ones of 2000 x 1500 pixels larger.
    for name in ("chart.png", "chart.svg"):
        problems += check_failed_plot(
            f"{name} with 8 KiB allowed", tool, ["--size", "2000x1500"],
            limited(resource.RLIMIT_FSIZE, 8192),
            PLOT_FAILED + 'Die Datei "PATH" lässt sich nicht schreiben: Die Datei ist zu groß\n',
            name)
    return problems


def check_no_memory(tool: str) -> list[str]:
    # 10000 x 10000 pixels take 400 MB; the tool itself needs far less than the limit.
    problems = check_failed_plot("10000x10000 with 300 MB of address space", tool,
                                 ["--size", "10000x10000"],
                                 limited(resource.RLIMIT_AS, 300 << 20), NO_MEMORY, "chart.png")
    # The histogram of 200 million engines takes 800 MB.
    result = run(tool, ["--engines", "200000000", "--reliability", "0,9", "--runs", "1",
                        "--counts"], preexec_fn=limited(resource.RLIMIT_AS, 300 << 20))
    found = result.stderr.decode("utf-8", errors="replace")
    if result.returncode != 1 or result.stdout or found != SIMULATION_NO_MEMORY:
        problems.append(f"200000000 engines with 300 MB of address space: exit code "
                        f"{result.returncode}, stderr {found!r}, output {result.stdout[:100]!r}")
    return problems


def check_closed_descriptors(tool: str) -> list[str]:
    problems = []
    names = {0: "Die Standardeingabe", 1: "Die Standardausgabe"}
    for descriptor, name in names.items():
        for plot in (False, True):
            for argv in (COMMAND + ["--counts"], ["--engines", "100000", "--reliability", "0,5",
                                                  "--runs", "3", "--seed", "1"]):
                with tempfile.TemporaryDirectory() as folder:
                    full = argv + (["--plot", os.path.join(folder, "c.png")] if plot else [])
                    result = run(tool, full, stdout=None if descriptor == 1 else subprocess.PIPE,
                                 preexec_fn=lambda d=descriptor: os.close(d))
                    found = result.stderr.decode("utf-8", errors="replace")
                    expected = (f"triebwerke-report: {name} (Deskriptor {descriptor}) ist nicht "
                                "geöffnet\n")
                    if result.returncode != 1 or found != expected:
                        problems.append(f"descriptor {descriptor} closed, {' '.join(full)}: exit "
                                        f"code {result.returncode}, stderr {found!r}")
                    if os.listdir(folder):
                        problems.append(f"descriptor {descriptor} closed: wrote "
                                        f"{os.listdir(folder)}")
    result = run(tool, COMMAND, preexec_fn=lambda: os.close(2), stderr=None)
    if result.returncode != 1 or result.stdout:
        problems.append(f"standard error closed: exit code {result.returncode}, output "
                        f"{result.stdout[:100]!r}")
    return problems


def check_reader_gone(tool: str) -> list[str]:
    """A reader that closes the output early ends the tool by SIGPIPE, as the usage says (141)."""
    process = subprocess.Popen([tool, "--engines", "1000000", "--reliability", "0,5", "--runs",
                                "3", "--seed", "1"], stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE)
    process.stdout.read(10)
    process.stdout.close()
    _, stderr = process.communicate(timeout=120)
    if process.returncode != -signal.SIGPIPE:
        return [f"reader gone: exit code {process.returncode}, stderr {stderr[:200]!r}"]
    return []


def main(argv: list[str]) -> int:
    if not argv:
        print(__doc__)
        return 2
    tool = argv[0]
    checks = [check_full_disk, check_closed_descriptors, check_reader_gone]
    # AddressSanitizer reserves terabytes of address space for its shadow memory at start-up.
    if "--sanitized" not in argv[1:]:
        checks.append(check_no_memory)
    problems = [problem for check in checks for problem in check(tool)]
    for problem in problems:
        print(f"FAIL {problem}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.stdout.reconfigure(encoding="utf-8")
    sys.exit(main(sys.argv[1:]))
