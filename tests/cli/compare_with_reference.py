#!/usr/bin/env python3
"""Runs triebwerke-report over a table of cases and compares its stdout byte for byte, its exit
code and (for the program's own errors) its stderr with what reference_report.py computes; then
its CSV and JSON tables value for value, its behaviour on outputs that cannot be written, and the
size of its pictures.

Usage: compare_with_reference.py PATH-TO-triebwerke-report [--verbose]

Each case runs under a fixed LANG with every LC_* variable removed, so the machine's locale does
not matter. One extra seed is drawn at random per run and printed first; a failure names the full
command line, so it can be repeated.
"""

from __future__ import annotations

import csv
import difflib
import io
import json
import math
import os
import random
import shlex
import struct
import subprocess
import sys
import tempfile
from dataclasses import dataclass, field
from fractions import Fraction
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import reference_report as ref  # noqa: E402

LOCALES = {"de_DE.UTF-8": ",", "C.UTF-8": "."}
DE, C = "de_DE.UTF-8", "C.UTF-8"

INVALID_OP = "Ungültige Gleitkommaoperation.\n"
RANGE_ERROR = "Fehler bei Bereichsprüfung.\n"
OVERFLOW = "Gleitkommaüberlauf.\n"

INVERSE_MULTIPLIER = pow(ref.MULTIPLIER, -1, 2**32)


def seed_before(state: int) -> int:
    """The generator state whose next state is `state`: the seed whose first draw is state/2^32."""
    return ((state - 1) * INVERSE_MULTIPLIER) % 2**32


@dataclass
class Case:
    locale: str
    engines: str | None
    reliability: str | None
    runs: str | None
    seed: str | None = None
    counts: bool = False
    extra: list[str] = field(default_factory=list)  # further raw arguments
    # Expectations that do not come from the reference; None: not checked.
    exit_code: int | None = None
    stderr: str | None = None
    stdout_contains: str | None = None
    use_reference: bool = True

    def argv(self) -> list[str]:
        args = []
        for name, value in (("--engines", self.engines), ("--reliability", self.reliability),
                            ("--runs", self.runs), ("--seed", self.seed)):
            if value is not None:
                args += [name, value]
        if self.counts:
            args.append("--counts")
        return args + self.extra

    def describe(self) -> str:
        return f"LANG={self.locale} triebwerke-report {shlex.join(self.argv())}"


def build_cases(random_seed: int) -> list[Case]:
    cases: list[Case] = []
    add = cases.append
    seeds = [0, 1, 4294967295, 649090867, 2463534242, 88172645, 3735928559, random_seed]

    # Report and counts over seeds, sizes and both locales.
    sizes = [(0, 1), (1, 1), (1, 4), (2, 4), (3, 7), (3, 128), (9, 1000), (17, 1000), (2, 10007)]
    for seed in seeds:
        for locale, separator in LOCALES.items():
            for engines, runs in sizes:
                add(Case(locale, str(engines), f"0{separator}999", str(runs), str(seed)))
            for engines, runs in ((3, 128), (9, 1000), (17, 1000)):
                add(Case(locale, str(engines), f"0{separator}5", str(runs), str(seed)))
                add(Case(locale, str(engines), f"0{separator}5", str(runs), str(seed), counts=True))

    # Larger simulations.
    add(Case(DE, "9", "0,999", "1000000", "1"))
    add(Case(C, "17", "99.9", "100000", "649090867"))
    add(Case(DE, "3", "0,5", "100000", "4294967295"))
    add(Case(C, "1", "0.9999999999", "100000", "0", counts=True))
    add(Case(DE, "2", "0,75", "100000", str(random_seed)))
    # Enough draws to be shared out to several threads, with run counts that do not divide evenly.
    add(Case(C, "17", "0.5", "500001", "3735928559", counts=True))
    add(Case(DE, "3", "0,9", "2796203", str(random_seed), counts=True))
    add(Case(DE, "1048576", "0,5", "9", "1", counts=True))
    # Run counts around the widths in which runs may be dealt out side by side.
    for runs in (15, 16, 17, 31, 32, 33, 63, 64, 65, 127, 129, 255, 256, 257, 511, 512, 513,
                 1023, 1024, 1025, 4095, 4097):
        add(Case(DE, "2", "0,5", str(runs), str(random_seed), counts=True))
    # Long histograms.
    add(Case(DE, "65537", "0,5", "3", "2463534242", counts=True))
    add(Case(C, "70000", "0.99", "5", "88172645", counts=True))

    # Reliability texts, read with each locale's separator.
    reliabilities = [
        "0,999", "0.999", "99,9", "99.9", "1", "0", "-1", "150", "0,5", "0.5", "100", "1e-3",
        "1E-3", "1e-", "-0", "-", "-0,5", ",5", "5,", "1.234,5", "1,234.5", "1,2,3", " 0,999",
        "0,999 ", "0,999 €", "99,99999999999999999999", "1e20", "1,5e20", "-1e25", "1e18",
        "123456789012345,678901", "0,0000004", "-0,0000006", "0,0000005", "2,5e-1", "+0,25",
        "1e-4950", "-1e-4950", "1e308", "1e4932", "1e4933", "abc", "", "+", "1e", "e5", "--1",
        # Longer than the field's accumulation of digits reaches.
        "0," + "9" * 4933, "9" * 4934, "-1" + "0" * 4933,
        # Percentages, marked or by the window's rule; the window's range ends at 100.
        "99,9%", "99.9 %", "0,5%", "1%", "1 %", "100%", "0%", "100,5%", "-1%", "%", " %", "5%%",
        "5  %", "1,5", "1.01", "49,99", "50", "100,0000001", "1e2", "1,00000000000000000001e2",
    ]
    for locale in LOCALES:
        for reliability in reliabilities:
            add(Case(locale, "3", reliability, "128", "2463534242"))
    add(Case(DE, "3", "1e400", "5", "1", exit_code=2))
    # Either separator in every locale; grouping refused; the command line read before the
    # reliability is rounded to a double.
    for locale in LOCALES:
        add(Case(locale, "3", "0,999", "128", "1"))
        add(Case(locale, "3", "0.999", "128", "1"))
        for grouped in ("1,234.5", "1.234,5", "1.234.567", "1,234,567", "0,999 €"):
            add(Case(locale, "3", grouped, "128", "1", exit_code=2))
    add(Case(C, "abc", "1e400", "5", "1", exit_code=2))
    add(Case(C, "3", "1e400", "5", "x", exit_code=2))
    add(Case(DE, "3", "1,5e20", "5", "1", exit_code=2))

    # Draws next to p: a draw equal to p works, one below it fails.
    for reliability, state in (("0,5", 2**31), ("0,5", 2**31 - 1), ("0,5", 2**31 + 1),
                               ("0,999", 4294968), ("0,999", 4294967), ("99,9", 4294968),
                               ("99,9", 4294967), ("1", 0), ("100", 0), ("0", 2**32 - 1),
                               ("-0", 2**32 - 1), ("0,9999999999", 0), ("0,9999999999", 1),
                               ("0,99999999999999994", 0), ("0,25", 3 * 2**30),
                               ("0,25", 3 * 2**30 - 1)):
        for counts in (False, True):
            add(Case(DE, "1", reliability, "1", str(seed_before(state)), counts=counts))
    add(Case(DE, "1", "0,999", "1", "649090867", counts=True, stdout_contains="0 0\n1 1\n"))
    add(Case(DE, "1", "1", "1", "649090867", counts=True, stdout_contains="0 1\n1 0\n"))

    # Engine and run counts: the window would keep their low 32 bits; the tool refuses what
    # lies outside 0 to 536870908 engines and 0 to 2^31 - 1 runs.
    for engines, runs in (("4294967299", "7"), ("-4294967293", "7"), (" 3", "7"), ("+3", "7"),
                          ("3", "4294967303"), ("3", "-5"), ("3", "2147483648"), ("0", "-1"),
                          ("-9223372036854775808", "4"), ("9223372036854775807", "0"),
                          ("-1", "0"), ("-1", "-5"), ("4294967295", "0"), ("-1", "4294967296"),
                          ("0", "2147483647"), ("2", "-2147483648")):
        add(Case(DE, engines, "0,999", runs, "88172645"))
        add(Case(C, engines, "0.999", runs, "88172645", counts=True))
    add(Case(DE, "0", "0,999", "5000000000", "1", exit_code=2))
    add(Case(DE, "-1", "0,999", "0", "1", counts=True, exit_code=2))

    # Outcomes that do not depend on the generator, without --seed.
    for engines, reliability, runs in (("0", "0,999", "7"), ("3", "1", "5"), ("3", "0", "5"),
                                       ("3", "-1", "5"), ("3", "150", "5"), ("4", "0,999", "-3")):
        add(Case(DE, engines, reliability, runs))
        add(Case(DE, engines, reliability, runs, counts=True))
    add(Case(C, "0", "0.999", "30000000",
             stdout_contains="0 Triebwerke, Ausfallwahrscheinlichekit 1.000000 = 100.000 "
                             "Prozent\n"))

    # What the window turns into its errors is refused before anything is computed.
    for locale in LOCALES:
        add(Case(locale, "3", "0,999", "0", "1", exit_code=2))
        add(Case(locale, "0", "0,999", "0", exit_code=2))
        add(Case(locale, "3", "0,999", "4294967296", "1", exit_code=2))
        for engines, runs in (("-2", "0"), ("-2", "5"), ("-1", "1"), ("-1", "2147483647"),
                              ("-2147483648", "1"), ("2147483647", "1"), ("536870909", "0"),
                              ("9223372036854775806", "1")):
            add(Case(locale, engines, "0,999", runs, "1", exit_code=2))
    add(Case(DE, "3", "0,999", "0", "1", counts=True, exit_code=0,
             stdout_contains="0 0\n1 0\n2 0\n3 0\n"))

    # Malformed numbers and command lines: usage text on stderr, exit code 2.
    for engines, reliability, runs, seed in (
        ("abc", "0,999", "5", "1"), ("3 ", "0,999", "5", "1"), ("3,0", "0,999", "5", "1"),
        ("", "0,999", "5", "1"), ("9223372036854775808", "0,999", "5", "1"),
        ("3", "0,999", "5.", "1"), ("3", "0,999", "1e3", "1"), ("3", "0,999", "5", "-1"),
        ("3", "0,999", "5", "4294967296"), ("3", "0,999", "5", "x"),
    ):
        add(Case(DE, engines, reliability, runs, seed, exit_code=2))
    for extra in (["--engines", "3", "--reliability", "0,999"],
                  ["--engines", "3", "--runs", "5", "--bogus", "1"],
                  ["--engines", "3", "--reliability", "0,999", "--runs"],
                  ["--engines", "3", "--engines", "4", "--reliability", "0,999", "--runs", "5"],
                  ["--engines", "3", "--reliability", "0,999", "--runs", "5", "--counts=yes"],
                  ["3", "0,999", "5"], []):
        add(Case(DE, None, None, None, extra=extra, exit_code=2, use_reference=False))
    return cases


def run_tool(tool: str, case: Case) -> subprocess.CompletedProcess:
    env = {k: v for k, v in os.environ.items()
           if not (k.startswith("LC_") or k in ("LANG", "LANGUAGE"))}
    env["LANG"] = case.locale
    return subprocess.run([tool, *case.argv()], env=env, capture_output=True, timeout=60)


def check(tool: str, case: Case) -> list[str]:
    problems: list[str] = []
    result = run_tool(tool, case)
    stdout = result.stdout.decode("utf-8", errors="replace")
    stderr = result.stderr.decode("utf-8", errors="replace")

    if case.use_reference:
        expected = ref.run_report(case.engines, case.reliability, case.runs, case.seed,
                                  case.counts, LOCALES[case.locale])
        if result.returncode != expected.exit_code:
            problems.append(f"exit code {result.returncode}, reference {expected.exit_code}"
                            f" ({expected.stderr.strip()})")
        if result.stdout != expected.stdout.encode("utf-8"):
            diff = difflib.unified_diff(expected.stdout.splitlines(), stdout.splitlines(),
                                        "reference", "triebwerke-report", lineterm="", n=1)
            problems.append("stdout differs:\n    " + "\n    ".join(list(diff)[:40]))
        if expected.exit_code in (0, 1) and stderr != expected.stderr:
            problems.append(f"stderr {stderr!r}, reference {expected.stderr!r}")

    if case.exit_code is not None and result.returncode != case.exit_code:
        problems.append(f"exit code {result.returncode}, expected {case.exit_code}")
    if case.stderr is not None and stderr != case.stderr:
        problems.append(f"stderr {stderr!r}, expected {case.stderr!r}")
    if case.stdout_contains is not None and case.stdout_contains not in stdout:
        problems.append(f"stdout lacks {case.stdout_contains!r}:\n{stdout[:400]}")
    if result.returncode != 0 and result.stdout:
        problems.append(f"exit code {result.returncode} with output on stdout: {stdout[:200]!r}")
    if result.returncode == 0 and result.stderr and not stderr.startswith(
            "triebwerke-report: Hinweis: "):
        problems.append(f"success with text on stderr: {stderr[:200]!r}")
    if result.returncode == 2 and "Aufruf:" not in stderr:
        problems.append(f"exit code 2 without the usage line on stderr: {stderr[:300]!r}")
    return problems


def significant_digits(text: str) -> str:
    mantissa = text.lstrip("-").split("e")[0].replace(".", "")
    return mantissa.strip("0")


def check_number(what: str, text: str, expected, problems: list[str]) -> None:
    """A double's text: it reads back as the expected double (given exactly as a Fraction) and
    has no more significant digits than the shortest such text. Exact binomial probabilities and
    standard errors are compared within a tolerance instead."""
    value = float(text)
    if isinstance(expected, Fraction) and not what.endswith(tuple(ref.EXACT_FIELDS)):
        if value != expected:
            problems.append(f"{what}: {text}, expected {float(expected)!r}")
        shortest = repr(float(expected))
        if len(significant_digits(text)) > len(significant_digits(shortest)):
            problems.append(f"{what}: {text} is longer than {shortest}")
    elif not math.isclose(value, float(expected), rel_tol=1e-12, abs_tol=1e-300):
        problems.append(f"{what}: {text}, expected {float(expected)!r}")


TABLE_CASES = [  # locale, engines, reliability, runs, seed
    (DE, 3, "0,5", 1000, 1), (C, 9, "0,999", 10007, 649090867), (DE, 17, "0.9", 4099, 0),
    (C, 2, "0,75", 3, 4294967295), (DE, 1, "99,9", 7, 88172645), (C, 0, "0,5", 5, 1),
    (DE, 12, "0,6", 100003, 2463534242), (C, 5, "1", 20, 3), (DE, 5, "0", 20, 3),
]


def check_tables(tool: str, random_seed: int) -> list[str]:
    """--format csv and json, with and without --exact, against the reference's histogram."""
    problems: list[str] = []
    for locale, engines, reliability, runs, seed in TABLE_CASES + [(C, 6, "0,8", 999, random_seed)]:
        value = ref.to_double(ref.read_command_line_number(reliability))
        histogram = ref.simulate(engines, runs, value, seed)
        nominal = ref.failure_probability(value)
        p = Fraction(ref.failing_states(nominal), ref.TWO_32)
        for exact in (False, True):
            argv = ["--engines", str(engines), "--reliability", reliability, "--runs", str(runs),
                    "--seed", str(seed)] + (["--exact"] if exact else [])
            expected_rows = ref.table_rows(engines, runs, histogram, p if exact else None,
                                           nominal)
            fields = ref.TABLE_FIELDS + (ref.EXACT_FIELDS if exact else [])
            case = Case(locale, None, None, None, extra=argv + ["--format", "csv"])
            result = run_tool(tool, case)
            text = result.stdout.decode("utf-8")
            where = case.describe()
            if result.returncode != 0 or not text.endswith("\r\n") or "\n" in text.replace(
                    "\r\n", ""):
                problems.append(f"{where}: exit code {result.returncode}, not CR LF records")
                continue
            records = list(csv.reader(io.StringIO(text, newline="")))
            if records[0] != fields or len(records) != engines + 2:
                problems.append(f"{where}: header {records[0]}, {len(records)} records")
                continue
            for record, row in zip(records[1:], expected_rows):
                for name, field_text in zip(fields, record):
                    if name in ("failed_engines", "count"):
                        if field_text != str(row[name]):
                            problems.append(f"{where}: {name} {field_text}, expected {row[name]}")
                    else:
                        check_number(f"{where} k={row['failed_engines']} {name}", field_text,
                                     row[name], problems)

            case = Case(locale, None, None, None, extra=argv + ["--format", "json"])
            result = run_tool(tool, case)
            where = case.describe()
            try:
                document = json.loads(result.stdout.decode("utf-8"),
                                      parse_float=lambda t: ("float", t))
            except ValueError as error:
                problems.append(f"{where}: no JSON ({error})")
                continue
            keys = ["engines", "runs", "reliability", "seed", "failure_probability",
                    "nominal_failure_probability"]
            keys += ["chi_square", "rows"] if exact else ["rows"]
            if list(document) != keys:
                problems.append(f"{where}: keys {list(document)}")
                continue
            if (document["engines"], document["runs"], document["seed"]) != (engines, runs, seed):
                problems.append(f"{where}: inputs {document}")

            def number(item) -> str:
                return item[1] if isinstance(item, tuple) else str(item)

            check_number(f"{where} reliability", number(document["reliability"]),
                         ref.to_double(ref.read_command_line_number(reliability)), problems)
            check_number(f"{where} failure_probability", number(document["failure_probability"]),
                         p, problems)
            check_number(f"{where} nominal_failure_probability",
                         number(document["nominal_failure_probability"]), nominal, problems)
            if len(document["rows"]) != engines + 1:
                problems.append(f"{where}: {len(document['rows'])} rows")
                continue
            for item, row in zip(document["rows"], expected_rows):
                if list(item) != fields:
                    problems.append(f"{where}: row fields {list(item)}")
                    break
                for name in fields:
                    if name in ("failed_engines", "count"):
                        if item[name] != row[name]:
                            problems.append(f"{where}: {name} {item[name]}, expected {row[name]}")
                    else:
                        check_number(f"{where} k={row['failed_engines']} {name}",
                                     number(item[name]), row[name], problems)
            if exact:
                expected_fit = ref.chi_square(histogram, runs, p)
                fit = document["chi_square"]
                if fit["degrees_of_freedom"] != expected_fit["degrees_of_freedom"]:
                    problems.append(f"{where}: chi_square {fit}, expected {expected_fit}")
                statistic = float(number(fit["statistic"]))
                if not math.isclose(statistic, float(expected_fit["statistic"]), rel_tol=1e-9,
                                    abs_tol=1e-12):
                    problems.append(f"{where}: chi_square {fit}, expected {expected_fit}")
                if expected_fit["p_value"] is None:
                    if fit["p_value"] is not None:
                        problems.append(f"{where}: p_value {fit['p_value']}, expected null")
                elif not math.isclose(float(number(fit["p_value"])), expected_fit["p_value"],
                                      rel_tol=1e-9, abs_tol=1e-12):
                    problems.append(f"{where}: chi_square {fit}, expected {expected_fit}")
    return problems


def check_plots(tool: str) -> list[str]:
    """The real program draws its pictures without a display and without a word on stderr; a PNG
    has the size asked for, an SVG is measured in pixels."""
    problems: list[str] = []
    env = {k: v for k, v in os.environ.items()
           if not (k.startswith("LC_") or k in ("LANG", "LANGUAGE", "DISPLAY",
                                                "XDG_RUNTIME_DIR", "QT_QPA_PLATFORM"))}
    env["LANG"] = DE
    with tempfile.TemporaryDirectory() as directory:
        for name, extra, size in (("a.png", [], (1200, 700)),
                                  ("b.png", ["--size", "900x500", "--log", "--exact"], (900, 500)),
                                  ("c.svg", ["--exact", "--format", "csv"], (1200, 700))):
            path = os.path.join(directory, name)
            argv = ["--engines", "40", "--reliability", "0,95", "--runs", "20000", "--seed", "9",
                    "--plot", path, *extra]
            result = subprocess.run([tool, *argv], env=env, capture_output=True, timeout=60)
            if result.returncode != 0 or result.stderr or not result.stdout:
                problems.append(f"{shlex.join(argv)}: exit code {result.returncode}, stderr "
                                f"{result.stderr[:300]!r}")
                continue
            with open(path, "rb") as picture:
                data = picture.read()
            if name.endswith(".png"):
                found = struct.unpack(">II", data[16:24]) if data[:8] == b"\x89PNG\r\n\x1a\n" \
                    else None
            else:
                found = (1200, 700) if b'<svg width="1200px" height="700px"' in data else None
            if found != size:
                problems.append(f"{shlex.join(argv)}: picture of size {found}, expected {size}")
    return problems


WRITE_FAILED = "triebwerke-report: Die Ausgabe konnte nicht geschrieben werden: "


def check_write_failures(tool: str) -> list[str]:
    """A report that cannot be written is an error: exit code 1 and the cause on stderr."""
    problems: list[str] = []
    env = {k: v for k, v in os.environ.items()
           if not (k.startswith("LC_") or k in ("LANG", "LANGUAGE"))}
    env["LANG"] = DE
    commands = (["--engines", "3", "--reliability", "0,999", "--runs", "5", "--seed", "1"],
                ["--engines", "100000", "--reliability", "0,5", "--runs", "3", "--seed", "1",
                 "--counts"],
                ["--help"])
    outputs = (("/dev/full", WRITE_FAILED + "Auf dem Gerät ist kein Speicherplatz mehr frei\n"),
               ("closed",
                "triebwerke-report: Die Standardausgabe (Deskriptor 1) ist nicht geöffnet\n"))
    for argv in commands:
        for output, cause in outputs:
            if output == "closed":
                result = subprocess.run([tool, *argv], env=env, stderr=subprocess.PIPE,
                                        preexec_fn=lambda: os.close(1), timeout=60)
            else:
                with open(output, "wb") as sink:
                    result = subprocess.run([tool, *argv], env=env, stdout=sink,
                                            stderr=subprocess.PIPE, timeout=60)
            stderr = result.stderr.decode("utf-8", errors="replace")
            if result.returncode != 1 or stderr != cause:
                problems.append(f"{shlex.join(argv)} to {output}: exit code "
                                f"{result.returncode}, stderr {stderr!r}")
    return problems


def main(argv: list[str]) -> int:
    if not argv or argv[0] in ("-h", "--help"):
        print(__doc__)
        return 2
    tool = argv[0]
    verbose = "--verbose" in argv[1:]
    if not os.access(tool, os.X_OK):
        print(f"not an executable: {tool}")
        return 2

    random_seed = random.SystemRandom().randrange(2**32)
    print(f"random seed of this run: {random_seed}")
    passed = failed = 0
    for case in build_cases(random_seed):
        try:
            problems = check(tool, case)
        except Exception as error:  # a crash of the reference or a hung tool is a failure too
            problems = [f"{type(error).__name__}: {error}"]
        if problems:
            failed += 1
            print(f"FAIL {case.describe()}")
            for problem in problems:
                print(f"  {problem}")
        else:
            passed += 1
            if verbose:
                print(f"ok   {case.describe()}")
    for problem in (check_write_failures(tool) + check_tables(tool, random_seed)
                    + check_plots(tool)):
        failed += 1
        print(f"FAIL {problem}")
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.stdout.reconfigure(encoding="utf-8")
    sys.exit(main(sys.argv[1:]))
