#!/usr/bin/env python3
"""Runs the report tool of the Linux build and of the Windows build (under Wine) on one table of
command lines and fails where their standard output, standard error, exit code or written plot
differ by a single byte.

Usage: compare_report_outputs.py LINUX-TOOL WINE-RUNNER WINDOWS-TOOL
"""
import os
import pathlib
import subprocess
import sys
import tempfile

SEED = ["--seed", "20261211"]
# (what the case shows, locale, arguments); PLOT in the arguments stands for a file in a fresh
# folder of each run, compared byte for byte afterwards.
CASES = [
    ("report, decimal comma", "de_DE.UTF-8", ["--engines", "9", "--reliability", "0,999",
                                             "--runs", "100000"] + SEED),
    ("report, decimal point", "C.UTF-8", ["--engines", "9", "--reliability", "0.999",
                                         "--runs", "100000"] + SEED),
    ("counts", "C.UTF-8", ["--engines", "40", "--reliability", "99", "--runs", "5000", "--counts"]
     + SEED),
    ("csv with the exact binomial", "de_DE.UTF-8", ["--engines", "33", "--reliability", "0.999",
                                                    "--runs", "1000000", "--format", "csv",
                                                    "--exact"] + SEED),
    ("json with the chi-square test", "C.UTF-8", ["--engines", "12", "--reliability", "0.9",
                                                  "--runs", "20000", "--format", "json",
                                                  "--exact"] + SEED),
    ("large engine count", "C.UTF-8", ["--engines", "3000017", "--reliability", "0.99999",
                                       "--runs", "3", "--counts"] + SEED),
    ("zero runs: refused", "de_DE.UTF-8", ["--engines", "3", "--reliability", "0,9",
                                                     "--runs", "0"] + SEED),
    ("negative engines: refused", "C.UTF-8", ["--engines", "-5", "--reliability", "0.9",
                                                    "--runs", "10"] + SEED),
    ("bad number", "C.UTF-8", ["--engines", "abc", "--reliability", "0.9", "--runs", "10"]),
    ("unknown option", "C.UTF-8", ["--engines", "3", "--colour"]),
    ("missing option", "C.UTF-8", ["--engines", "3"]),
    ("help", "de_DE.UTF-8", ["--help"]),
    ("version", "C.UTF-8", ["--version"]),
    ("linear PNG plot", "de_DE.UTF-8", ["--engines", "9", "--reliability", "0,999", "--runs",
                                       "100000", "--plot", "PLOT.png", "--exact"] + SEED),
    ("logarithmic PNG plot", "C.UTF-8", ["--engines", "20", "--reliability", "0.95", "--runs",
                                        "50000", "--plot", "PLOT.png", "--log", "--size",
                                        "800x500"] + SEED),
    ("plot with error bars and its own title", "de_DE.UTF-8",
     ["--engines", "33", "--reliability", "99,9%", "--runs", "1000000", "--plot", "PLOT.png",
      "--exact", "--error-bars", "--max-failures", "5", "--title", "Abbildung 3: Ausfälle"]
     + SEED),
    ("a bare percentage pointed out", "C.UTF-8", ["--engines", "3", "--reliability", "1.5",
                                                 "--runs", "10", "--counts"] + SEED),
    ("plot into a missing folder", "C.UTF-8", ["--engines", "3", "--reliability", "0.9", "--runs",
                                              "10", "--plot", "MISSING/x.png"] + SEED),
]


def german_locale_path(folder: pathlib.Path) -> str | None:
    """A folder holding glibc's de_DE.UTF-8 where the machine has not generated it: Wine and the
    shell around it take their locale from glibc's."""
    have = subprocess.run(["locale", "-a"], capture_output=True, text=True, timeout=60).stdout
    if "de_DE.utf8" in have.split():
        return None
    subprocess.run(["localedef", "-i", "de_DE", "-f", "UTF-8", str(folder / "de_DE.UTF-8")],
                   capture_output=True, timeout=120)
    return str(folder)


def run(command: list[str], arguments: list[str], locale: str, folder: pathlib.Path):
    plot = folder / "plot.png"
    arguments = [a.replace("PLOT.png", str(plot)).replace("MISSING", str(folder / "missing"))
                 for a in arguments]
    environment = dict(os.environ, LC_ALL=locale, LANG=locale)
    if LOCALE_PATH:
        environment["LOCPATH"] = LOCALE_PATH
    result = subprocess.run(command + arguments, capture_output=True, env=environment, timeout=300,
                            stdin=subprocess.DEVNULL)
    written = plot.read_bytes() if plot.exists() else None
    # The error texts name the file by the path each run was given.
    stderr = result.stderr.replace(str(folder).encode(), b"FOLDER")
    return result.stdout, stderr, result.returncode, written


LOCALE_PATH = None


def main(linux_tool: str, wine: str, windows_tool: str) -> int:
    global LOCALE_PATH
    locales = tempfile.TemporaryDirectory()
    LOCALE_PATH = german_locale_path(pathlib.Path(locales.name))
    failures = 0
    for name, locale, arguments in CASES:
        with tempfile.TemporaryDirectory() as a, tempfile.TemporaryDirectory() as b:
            linux = run([linux_tool], arguments, locale, pathlib.Path(a))
            windows = run([wine, windows_tool], arguments, locale, pathlib.Path(b))
        differences = [what for what, one, other in zip(
            ["standard output", "standard error", "exit code", "plot file"], linux, windows)
            if one != other]
        if differences:
            failures += 1
            print(f"FAIL {name}: {', '.join(differences)} differ", file=sys.stderr)
            for what, one, other in zip(["stdout", "stderr", "exit", "plot"], linux, windows):
                if one != other and what != "plot":
                    print(f"  {what} Linux:   {one[:300]!r}", file=sys.stderr)
                    print(f"  {what} Windows: {other[:300]!r}", file=sys.stderr)
        else:
            print(f"ok   {name} (exit {linux[2]}, {len(linux[0])} bytes"
                  f"{', plot of %d bytes' % len(linux[3]) if linux[3] else ''})")
    print(f"{len(CASES) - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
