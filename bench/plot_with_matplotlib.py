#!/usr/bin/env python3
"""Draws the report tool's bar chart again with matplotlib, from the tool's own CSV, so that the
two pictures of the same data can be set side by side.

The figure is what an engineer would write in a few lines: the simulated shares as bars, the
exact binomial probabilities as markers, ±1.96 standard errors as error bars, matplotlib's own
defaults for everything else (ticks, fonts, margins, legend place). It shows the same failure
counts as the tool's chart.

Usage: plot_with_matplotlib.py TABLE.csv OUT.png [--log] [--last K] [--title TEXT]
       TABLE.csv from: triebwerke-report ... --format csv --exact
Needs python3-matplotlib; it is not part of the test suite.
"""

import argparse
import csv
import math
import sys


def main() -> int:
    parser = argparse.ArgumentParser()
    parser.add_argument("table")
    parser.add_argument("out")
    parser.add_argument("--log", action="store_true")
    parser.add_argument("--last", type=int, help="the last failure count shown")
    parser.add_argument("--title", default="")
    options = parser.parse_args()
    try:
        import matplotlib
    except ImportError:
        print("matplotlib is not installed (Debian: python3-matplotlib)", file=sys.stderr)
        return 2
    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    with open(options.table, newline="") as table:
        rows = list(csv.DictReader(table))
    runs = sum(int(row["count"]) for row in rows)
    last = options.last
    if last is None:
        last = max(int(row["failed_engines"]) for row in rows
                   if int(row["count"]) > 0 or float(row["exact_probability"]) >= 1 / runs)
    rows = rows[:last + 1]
    k = [int(row["failed_engines"]) for row in rows]
    share = [float(row["probability"]) for row in rows]
    exact = [float(row["exact_probability"]) for row in rows]
    error = [1.96 * float(row["standard_error"]) for row in rows]

    figure, axes = plt.subplots(figsize=(12, 7), dpi=100)
    axes.bar(k, share, label="Simulation", yerr=error, capsize=4)
    axes.plot(k, exact, "o", color="C3", label="Exakt (Binomialverteilung)")
    if options.log:
        axes.set_yscale("log")
    axes.set_xlabel("Ausgefallene Triebwerke")
    axes.set_ylabel("Wahrscheinlichkeit")
    axes.set_title(options.title)
    axes.legend()
    figure.savefig(options.out)
    print(f"{options.out}: {len(k)} counts, {runs} runs, "
          f"smallest exact value shown {min(exact):.3g}" if not math.isnan(min(exact)) else "")
    return 0


if __name__ == "__main__":
    sys.exit(main())
