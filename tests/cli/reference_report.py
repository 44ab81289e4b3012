#!/usr/bin/env python3
"""A second, independent computation of triebwerke-report's output.

Everything here is exact: values are Fractions, and every place where the program rounds (to the
64-bit-significand extended format or to double) goes through round_binary(), which rounds an exact
rational to the nearest representable value, ties to even. Signed zeros are not modelled: the only
negative zeros the program meets (a reliability of "-0", quotients 0 / negative run count) are
written without a sign and behave like +0 in every comparison, so they cannot change the output.

Usage:
  reference_report.py report --engines N --reliability R --runs M [--seed S] [--counts]
                             [--decimal-separator C]
  reference_report.py self-check [--quotients FILE]
"""

from __future__ import annotations

import argparse
import math
import re
import sys
from dataclasses import dataclass
from fractions import Fraction
from pathlib import Path

# ------------------------------------------------------------------------------------------------
# Binary floating-point formats and rounding


@dataclass(frozen=True)
class BinaryFormat:
    name: str
    significand_bits: int
    min_exponent: int  # exponent of the smallest normal value
    max_exponent: int  # exponent of the largest finite value

    @property
    def smallest_normal(self) -> Fraction:
        return Fraction(2) ** self.min_exponent

    @property
    def overflow_bound(self) -> Fraction:
        return Fraction(2) ** (self.max_exponent + 1)


EXTENDED = BinaryFormat("extended", 64, -16382, 16383)
DOUBLE = BinaryFormat("double", 53, -1022, 1023)


class ProgramError(Exception):
    """An error the program reports in its error box; str() is the box's text."""

    message = ""

    def __str__(self) -> str:
        # The box appends a full stop when the last character lies above U+002E.
        text = self.message
        return text + "." if text and ord(text[-1]) > 0x2E else text


class InvalidOperation(ProgramError):
    message = "Ungültige Gleitkommaoperation"


class FloatOverflow(ProgramError):
    message = "Gleitkommaüberlauf"


class RangeCheckError(ProgramError):
    message = "Fehler bei Bereichsprüfung"


class UsageProblem(Exception):
    """A command line the tool refuses with its usage text (exit code 2)."""


def floor_log2(value: Fraction) -> int:
    """e with 2^e <= value < 2^(e+1), for value > 0."""
    e = value.numerator.bit_length() - value.denominator.bit_length()
    if value < Fraction(2) ** e:
        e -= 1
    return e


def round_half_even(value: Fraction) -> int:
    whole = math.floor(value)
    rest = value - whole
    if rest > Fraction(1, 2) or (rest == Fraction(1, 2) and whole % 2 == 1):
        whole += 1
    return whole


def round_binary(value: Fraction, fmt: BinaryFormat) -> Fraction:
    """The value of `fmt` nearest to `value` (ties to even), subnormals included; FloatOverflow
    when the rounded magnitude leaves the format's range."""
    value = Fraction(value)
    if value == 0:
        return value
    magnitude = abs(value)
    exponent = max(floor_log2(magnitude), fmt.min_exponent)
    quantum = Fraction(2) ** (exponent - fmt.significand_bits + 1)
    rounded = round_half_even(magnitude / quantum) * quantum
    if rounded >= fmt.overflow_bound:
        raise FloatOverflow()
    return rounded if value > 0 else -rounded


def to_extended(value: Fraction) -> Fraction:
    return round_binary(value, EXTENDED)


def to_double(value: Fraction) -> Fraction:
    return round_binary(value, DOUBLE)


def extended_divide(dividend: Fraction, divisor: Fraction) -> Fraction:
    if divisor == 0:
        if dividend == 0:
            raise InvalidOperation()
        raise ZeroDivisionError("non-zero value divided by zero")  # never met by the report
    return to_extended(Fraction(dividend) / divisor)


# ------------------------------------------------------------------------------------------------
# Powers of ten with a 64-bit significand, applied as up to three table factors

_power_cache: dict[int, Fraction] = {}


def power_of_ten(n: int) -> Fraction:
    """The 64-bit-significand value nearest to 10^n (exact up to 10^27)."""
    if n not in _power_cache:
        _power_cache[n] = to_extended(Fraction(10) ** n)
    return _power_cache[n]


def scale_by_power_of_ten(value: Fraction, exponent: int) -> Fraction:
    """value x 10^exponent, a division for a negative exponent, as the factors 10^(n mod 32),
    10^(32 x ((n div 32) mod 16)) and 10^(512 x (n div 512)) of n = |exponent|, in that order,
    each operation rounded to a 64-bit significand. The first factor is always applied."""
    n = abs(exponent)
    factors = [n % 32]
    factors += [f for f in (32 * ((n // 32) % 16), 512 * (n // 512)) if f != 0]
    for f in factors:
        if exponent >= 0:
            value = to_extended(value * power_of_ten(f))
        else:
            value = to_extended(value / power_of_ten(f))
    return value


# ------------------------------------------------------------------------------------------------
# Number texts: %d and %.Nf


def integer_text(value: int) -> str:
    return str(value)


def decimal_digits(value: Fraction) -> tuple[str, int]:
    """The 18-digit string of |value| (leading zeros possible) and its exponent D, the value being
    0.d1d2... x 10^D. Zero and the extended subnormals give ("", 0)."""
    magnitude = abs(value)
    if magnitude < EXTENDED.smallest_normal:
        return "", 0
    e = floor_log2(magnitude)
    d = ((e * 19728) >> 16) + 1  # Python's >> floors, like the arithmetic shift
    s = round_half_even(scale_by_power_of_ten(magnitude, 18 - d))
    if s >= 10**18:
        s = round_half_even(to_extended(Fraction(s, 10)))
        d += 1
    digits = f"{s:018d}"
    if len(digits) != 18:
        raise AssertionError(f"digit string of {value} has {len(digits)} digits")
    return digits, d


def cut_digits(digits: str, d: int, decimals: int) -> tuple[str, int]:
    """Keeps D + N digits, rounding up on the first dropped digit alone (half away from zero)."""
    if not digits:
        return "", 0
    keep = d + decimals
    if keep < 0:
        return "", 0
    if keep >= 18:
        return digits.rstrip("0"), d
    if digits[keep] >= "5":
        kept = list(digits[:keep])
        while kept and kept[-1] == "9":
            kept.pop()  # an overflowing nine is dropped and carries left
        if not kept:
            return "1", d + 1
        kept[-1] = chr(ord(kept[-1]) + 1)
        return "".join(kept), d
    kept = digits[:keep].rstrip("0")
    if not kept:
        return "", 0
    return kept, d


def fixed_text(value, decimals: int, separator: str) -> str:
    """%.Nf of an extended value (a Fraction, or a float infinity or NaN). `separator` is one
    character; "\\0" stands for a locale without one."""
    if not 0 <= decimals <= 18:
        raise ValueError("decimals must lie in 0..18")
    if isinstance(value, float) and math.isnan(value):
        return "NAN"
    if isinstance(value, float) and math.isinf(value):
        return "-INF" if value < 0 else "INF"
    value = Fraction(value)
    digits, d = cut_digits(*decimal_digits(value), decimals)
    sign = "-" if value < 0 and digits else ""
    if d > 18:
        text = sign + digits[0]
        if len(digits) > 1:
            text += separator + digits[1:]
        exponent = str(d - 1)
        if decimals <= 4:
            exponent = exponent.rjust(decimals, "0")
        return text + "E" + exponent
    text = sign + ("0" if d <= 0 else digits[:d].ljust(d, "0"))
    if decimals > 0:
        if separator != "\0":
            text += separator
        if d < 0:
            fraction = "0" * min(decimals, -d) + digits
        else:
            fraction = digits[d:]
        if len(fraction) > decimals:
            raise AssertionError(f"{value}: more digits than decimals")
        text += fraction.ljust(decimals, "0")
    return text


def format_text(pattern: str, arguments: list, separator: str) -> str:
    """Expands %d and %.Nf in the pattern with the arguments, in order."""
    out = []
    args = iter(arguments)
    i = 0
    while i < len(pattern):
        c = pattern[i]
        if c != "%":
            out.append(c)
            i += 1
            continue
        if pattern.startswith("%d", i):
            out.append(integer_text(next(args)))
            i += 2
            continue
        j = i + 2
        if not pattern.startswith("%.", i):
            raise ValueError(f"unknown directive at {i} in {pattern!r}")
        while j < len(pattern) and pattern[j].isdigit():
            j += 1
        if j == i + 2 or j >= len(pattern) or pattern[j] != "f":
            raise ValueError(f"unknown directive at {i} in {pattern!r}")
        out.append(fixed_text(next(args), int(pattern[i + 2 : j]), separator))
        i = j + 1
    return "".join(out)


# ------------------------------------------------------------------------------------------------
# Reading the numbers of the command line


def read_integer(text: str) -> int | None:
    """Optional leading spaces, an optional sign, one or more digits, nothing else, within the
    signed 64-bit range."""
    rest = text.lstrip(" ")
    body = rest[1:] if rest[:1] in ("+", "-") else rest
    if not body or not all("0" <= c <= "9" for c in body):
        return None
    value = int(rest)
    if not -(2**63) <= value < 2**63:
        return None
    return value


def read_command_line_number(text: str) -> Fraction:
    """The tool's reading of --reliability: a comma or a full stop as the decimal separator in
    every locale, and nothing else in the text; no grouping."""
    if "," in text and "." in text:
        raise UsageProblem(f"--reliability {text!r} has a comma and a full stop")
    separator = "," if "," in text else "."
    if text.count(separator) > 1:
        raise UsageProblem(f"--reliability {text!r} has more than one separator")
    mantissa = text.split("e")[0].split("E")[0]
    value = parse_decimal(text, separator) if any(c.isdigit() for c in mantissa) else None
    if value is None and any(c.isdigit() for c in mantissa):
        # Read whatever its length: where the field's accumulation overflows, the text's own
        # value; beyond the double range it fails as an overflow once it is rounded.
        value = exact_decimal(text, separator)
    if value is None:
        raise UsageProblem(f"--reliability {text!r} is no number")
    return value


def read_reliability(text: str) -> tuple[Fraction, bool]:
    """--reliability: a fraction of 0 to 1 or a percentage above 1 up to 100, or, with a percent
    sign (after an optional space), a percentage of 0 to 100. The range is checked on the value as
    read into the extended format; a percentage of 1 or less is divided by 100 as the window
    divides its own. Returns the value and whether it was marked a percentage."""
    explicit = text.endswith("%")
    number = text[:-1] if explicit else text
    if explicit and number.endswith(" "):
        number = number[:-1]
    try:
        value = to_extended(read_command_line_number(number))
    except FloatOverflow:
        raise UsageProblem(f"--reliability {text!r} is beyond the extended range") from None
    if not 0 <= value <= 100:
        raise UsageProblem(f"--reliability {text!r} is not in 0..100")
    if explicit and value <= 1:
        value = to_double(to_extended(to_double(value) / 100))
    return value, explicit


def exact_decimal(text: str, separator: str) -> Fraction | None:
    """The exact value of a decimal text of the field's shape; None for any other text."""
    # Texts of thousands of digits are read on purpose.
    sys.set_int_max_str_digits(0)
    shape = re.fullmatch(r"([+-]?)([0-9]*)(?:" + re.escape(separator) + r"([0-9]*))?"
                         r"(?:[Ee]([+-]?[0-9]+))?", text)
    if shape is None:
        return None
    sign, integer_digits, fraction_digits, exponent = shape.groups()
    fraction_digits = fraction_digits or ""
    power = int(exponent or "0") - len(fraction_digits)
    value = Fraction(int(integer_digits + fraction_digits or "0")) * Fraction(10) ** power
    return -value if sign == "-" else value


def low_32_bits_signed(value: int) -> int:
    value &= 0xFFFFFFFF
    return value - 2**32 if value >= 2**31 else value


def read_float_lenient(text: str, separator: str) -> Fraction | None:
    """The number field's lenient reading in extended precision; None where the field falls back
    to its default (empty, no number left, malformed, overflow)."""
    if not text:
        return None
    if "." in text and separator not in text:
        text = text.replace(".", separator)
    rest = "".join(c for c in text
                   if (c.isascii() and (c.isdigit() or c in "+-Ee")) or c == separator)
    if not rest:
        return None
    if rest.endswith("-"):
        rest += "0"
    if rest.endswith(separator):
        rest += "0"
    return parse_decimal(rest, separator)


def parse_decimal(rest: str, separator: str) -> Fraction | None:
    """Sign, digits, the separator with more digits, an exponent; the whole text has that shape.
    None where it has not, or where the value overflows."""
    i = 0
    negative = False
    if rest[:1] in ("+", "-"):
        negative = rest[0] == "-"
        i = 1
    start = i
    while i < len(rest) and rest[i].isdigit():
        i += 1
    integer_digits = rest[start:i]
    fraction_digits = ""
    if i < len(rest) and rest[i] == separator:
        i += 1
        start = i
        while i < len(rest) and rest[i].isdigit():
            i += 1
        fraction_digits = rest[start:i]
    elif not integer_digits:
        return None  # neither a digit nor the separator after the sign
    exponent = 0
    if i < len(rest) and rest[i] in "Ee":
        i += 1
        exponent_negative = False
        if i < len(rest) and rest[i] in "+-":
            exponent_negative = rest[i] == "-"
            i += 1
        start = i
        while i < len(rest) and rest[i].isdigit():
            i += 1
        if start == i:
            return None
        exponent = int(rest[start:i]) * (-1 if exponent_negative else 1)
    if i != len(rest):
        return None

    try:
        value = Fraction(0)
        for digit in integer_digits + fraction_digits:
            value = to_extended(value * 10 + int(digit))
        power = exponent - len(fraction_digits)
        if abs(power) >= 5120:
            raise NotImplementedError("powers of ten from 10^5120 on are not modelled")
        value = scale_by_power_of_ten(value, power)
    except FloatOverflow:
        return None
    return -value if negative else value


# ------------------------------------------------------------------------------------------------
# Generator and simulation

MULTIPLIER = 134775813
TWO_32 = 2**32


def next_state(state: int) -> int:
    return (state * MULTIPLIER + 1) % TWO_32


def failure_probability(reliability: Fraction) -> Fraction:
    """p of one engine: a reliability above 1 is a percentage; the division and 1 - r keep a
    64-bit significand and are then stored as doubles."""
    if reliability > 1:
        reliability = to_double(to_extended(reliability / 100))
    return to_double(to_extended(1 - reliability))


def failing_states(p: Fraction) -> int:
    """How many states s make the draw s / 2^32 fall below p, i.e. count as a failure."""
    if p <= 0:
        return 0
    bound = p * TWO_32
    return min(TWO_32, -((-bound.numerator) // bound.denominator))  # ceil


def simulate(engines: int, runs: int, reliability: Fraction, seed: int | None) -> list[int]:
    """The histogram of failure counts. `seed` None is allowed only where the outcome does not
    depend on the generator."""
    if engines <= -2 or engines + 1 > 536870909:
        raise RangeCheckError()
    if engines == -1 and runs > 0:
        raise RangeCheckError()  # the command-line tool's choice for a run without index 0
    histogram = [0] * (engines + 1)
    if runs <= 0:
        return histogram
    threshold = failing_states(failure_probability(reliability))
    if engines == 0 or threshold in (0, TWO_32):
        # No draw can change the outcome: every run counts 0 failures or all of its engines.
        histogram[engines if threshold == TWO_32 else 0] = runs
        return histogram
    if seed is None:
        raise ValueError("this simulation depends on the generator; give a seed")
    state = seed
    for _ in range(runs):
        failed = 0
        for _ in range(engines):
            state = (state * MULTIPLIER + 1) & 0xFFFFFFFF
            if state < threshold:
                failed += 1
        histogram[failed] += 1
    return histogram


# ------------------------------------------------------------------------------------------------
# The report

HEADER = "Ausfallwahrscheinlichkeit: %.6f, Durchläufe: %d"
COUNT_LINE = "%d Triebwerke, Ausfallwahrscheinlichekit %.6f = %.3f Prozent"


def report_lines(reliability: Fraction, engines: int, runs: int, histogram: list[int],
                 separator: str) -> list[str]:
    lines = [format_text(HEADER, [reliability, runs], separator)]
    for k in range(engines + 1):
        probability = extended_divide(Fraction(histogram[k]), Fraction(runs))
        percent = extended_divide(Fraction(100 * histogram[k]), Fraction(runs))
        lines.append(format_text(COUNT_LINE, [k, probability, percent], separator))
    return lines


# ------------------------------------------------------------------------------------------------
# The tables for scripts (--format csv / json, --exact)

TABLE_FIELDS = ["failed_engines", "count", "probability", "percent", "cumulative",
                "cumulative_percent", "probability_at_most", "probability_at_least"]
EXACT_FIELDS = ["exact_probability", "standard_error", "exact_probability_nominal"]


def binomial_probability(n: int, k: int, p: Fraction) -> Fraction:
    return math.comb(n, k) * p**k * (1 - p) ** (n - k)


def table_rows(engines: int, runs: int, histogram: list[int], p: Fraction | None,
               nominal: Fraction | None = None) -> list[dict]:
    """The rows as exact values: every double of the tool as the Fraction it must equal, the exact
    probabilities (at the generator's p and at the nominal one) as the exact binomial values (the
    tool's may differ in their last digits) and the standard error, the model's sampling standard
    deviation sqrt(P (1 - P) / runs), as a float."""
    rows = []
    running = Fraction(0)  # the result table's running sum, a double after each addition
    at_most = 0
    for k in range(engines + 1):
        count = histogram[k]
        if k > 0:
            running = to_double(to_extended(extended_divide(Fraction(count), Fraction(runs))
                                            + running))
        share = to_double(Fraction(count, runs))
        row = {"failed_engines": k, "count": count, "probability": share,
               "percent": to_double(Fraction(100 * count, runs)), "cumulative": running,
               "cumulative_percent": to_double(100 * running),
               "probability_at_least": to_double(Fraction(runs - at_most, runs))}
        at_most += count
        row["probability_at_most"] = to_double(Fraction(at_most, runs))
        if p is not None:
            exact = binomial_probability(engines, k, p)
            row["exact_probability"] = exact
            row["standard_error"] = math.sqrt(exact * (1 - exact) / runs) if runs > 0 else 0.0
            row["exact_probability_nominal"] = binomial_probability(engines, k, nominal)
        rows.append(row)
    return rows


def chi_square_p_value(degrees: int, x: float) -> float:
    """Q(df / 2, x / 2) for whole df, from the closed forms: Q(1/2, y) = erfc(sqrt y),
    Q(1, y) = e^-y, and Q(a + 1, y) = Q(a, y) + y^a e^-y / Gamma(a + 1)."""
    x /= 2
    a = 0.5 if degrees % 2 else 1.0
    q = math.erfc(math.sqrt(x)) if degrees % 2 else math.exp(-x)
    while a < degrees / 2:
        q += math.exp(a * math.log(x) - x - math.lgamma(a + 1)) if x > 0 else 0.0
        a += 1
    return q


def chi_square(histogram: list[int], runs: int, p: Fraction) -> dict:
    """Bins pooled from count 0 upwards until each expects 5 runs; a remainder joins the last."""
    bins: list[list[Fraction]] = []
    observed, expected = Fraction(0), Fraction(0)
    engines = len(histogram) - 1
    for k, count in enumerate(histogram):
        observed += count
        expected += runs * binomial_probability(engines, k, p)
        if expected >= 5:
            bins.append([observed, expected])
            observed, expected = Fraction(0), Fraction(0)
    if bins:
        bins[-1][0] += observed
        bins[-1][1] += expected
    statistic = sum(((o - e) ** 2 / e for o, e in bins), Fraction(0))
    degrees = max(len(bins) - 1, 0)
    p_value = chi_square_p_value(degrees, float(statistic)) if degrees else None
    return {"statistic": statistic, "degrees_of_freedom": degrees, "p_value": p_value}


@dataclass
class Outcome:
    exit_code: int
    stdout: str
    stderr: str  # exact for exit codes 0 and 1; only a description for 2


def run_report(engines: str, reliability: str, runs: str, seed: str | None, counts: bool,
               separator: str) -> Outcome:
    """What `triebwerke-report` prints for these option texts under a locale with `separator`."""
    try:
        numbers = {}
        for name, text, highest in (("--engines", engines, 536870908), ("--runs", runs, 2**31 - 1)):
            number = read_integer(text)
            if number is None:
                raise UsageProblem(f"{name} {text!r} is no integer")
            if not 0 <= number <= highest:
                raise UsageProblem(f"{name} {text!r} is not in 0..{highest}")
            numbers[name] = number
        value, explicit_percent = read_reliability(reliability)
        start = None
        if seed is not None:
            start = read_integer(seed)
            if start is None or not 0 <= start < TWO_32:
                raise UsageProblem(f"--seed {seed!r} is not in 0..4294967295")
        engine_count, run_count = numbers["--engines"], numbers["--runs"]
        if run_count == 0 and not counts:
            raise UsageProblem("--runs 0 without --counts")
        hint = ""
        if not explicit_percent and 1 < value < 50:
            hint = (f'triebwerke-report: Hinweis: --reliability "{reliability}" ist größer als 1 '
                    "und wird daher als Prozent gelesen; eine Zuverlässigkeit unter 1 wird als "
                    "Bruch geschrieben (0,985) oder mit Prozentzeichen (1,5%).\n")
        reliability_double = to_double(value)
        histogram = simulate(engine_count, run_count, reliability_double, start)
        if counts:
            text = "".join(f"{k} {count}\n" for k, count in enumerate(histogram))
        else:
            lines = report_lines(reliability_double, engine_count, run_count, histogram, separator)
            text = "".join(line + "\n" for line in lines)
        return Outcome(0, text, hint)
    except ProgramError as error:
        return Outcome(1, "", f"{error}\n")
    except UsageProblem as problem:
        return Outcome(2, "", str(problem))


# ------------------------------------------------------------------------------------------------
# Self-check against independently known values


def _double(x: float) -> Fraction:
    return Fraction(x)


def self_check(quotients: Path | None) -> list[str]:
    failures: list[str] = []

    def expect(what: str, actual, expected) -> None:
        if actual != expected:
            failures.append(f"{what}: got {actual!r}, expected {expected!r}")

    # Rounding helpers.
    expect("extended 1/3", to_extended(Fraction(1, 3)),
           Fraction(round_half_even(Fraction(2**65, 3)), 2**65))
    expect("double 0.1", to_double(Fraction(1, 10)), _double(0.1))
    expect("double tie to even", to_double(1 + Fraction(1, 2**53)), Fraction(1))
    expect("double tie up to even", to_double(1 + Fraction(3, 2**53)), 1 + Fraction(4, 2**53))
    expect("double subnormal", to_double(Fraction(3, 2**1075)), Fraction(2, 2**1074))
    expect("power 10^27 exact", power_of_ten(27), Fraction(10**27))
    expect("power 10^28 rounded", power_of_ten(28) == 10**28, False)
    try:
        to_double(Fraction(2) ** 1024)
        failures.append("2^1024 to double: no overflow")
    except FloatOverflow:
        pass

    # Generator.
    state = 0
    states, values = [], []
    for _ in range(5):
        state = next_state(state)
        states.append(state)
        values.append(float(Fraction(state, TWO_32)))
    expect("states from 0", states, [1, 134775814, 3698175007, 870078620, 1172187917])
    expect("values from 0", values, [2.3283064365386963e-10, 0.031379939522594213,
                                     0.8610484672244638, 0.20258096512407064, 0.2729212671983987])
    expect("state after 0xFFFFFFFF", next_state(0xFFFFFFFF), 0xF7F77BFC)
    expect("value after 0xFFFFFFFF", float(Fraction(next_state(0xFFFFFFFF), TWO_32)),
           0.9686200609430671)
    expect("state after 649090867", next_state(649090867), 0)

    # Failure probability and the states that fail.
    expect("p of 99.9 differs from p of 0.999",
           failure_probability(_double(99.9)) != failure_probability(_double(0.999)), True)
    expect("r 99.9 / 100", to_double(to_extended(_double(99.9) / 100)), _double(0.9990000000000001))
    expect("failing states of 0.999", failing_states(failure_probability(_double(0.999))), 4294968)
    expect("failing states of 99.9", failing_states(failure_probability(_double(99.9))), 4294968)
    for r in (1, 100, 150):
        expect(f"failing states of {r}", failing_states(failure_probability(Fraction(r))), 0)
    for r in (0, -1):
        expect(f"failing states of {r}", failing_states(failure_probability(Fraction(r))), TWO_32)
    expect("draw equal to p works", failing_states(Fraction(1, 2)), 2**31)
    # 1 - r lands below the midpoint of two doubles but on it with a 64-bit significand, and
    # the stored p then rounds to even: 1, not 1 - 2^-53.
    expect("p rounded twice", failure_probability(Fraction(1, 2**54) + Fraction(1, 2**70)),
           Fraction(1))

    # Simulation.
    expect("hist r=1", simulate(3, 5, Fraction(1), 7), [5, 0, 0, 0])
    expect("hist r=0", simulate(3, 5, Fraction(0), 7), [0, 0, 0, 5])
    expect("hist r=-2", simulate(3, 5, Fraction(-2), 7), [0, 0, 0, 5])
    expect("hist r=150", simulate(3, 5, Fraction(150), 7), [5, 0, 0, 0])
    expect("hist engines 0", simulate(0, 7, _double(0.999), 7), [7])
    expect("hist runs 0", simulate(4, 0, _double(0.999), 7), [0] * 5)
    expect("hist runs -3", simulate(4, -3, _double(0.999), 7), [0] * 5)
    expect("hist engines -1 runs 0", simulate(-1, 0, _double(0.999), 7), [])
    expect("first draw 0.0 fails", simulate(1, 1, _double(0.999), 649090867), [0, 1])
    expect("sum of counts", sum(simulate(5, 300, Fraction(1, 2), 12345)), 300)
    for engines, runs in ((-2, 0), (-1, 1), (536870909, 0), (2**31 - 1, 0)):
        try:
            simulate(engines, runs, _double(0.999), 0)
            failures.append(f"simulate({engines}, {runs}): no range error")
        except RangeCheckError:
            pass

    # Reading numbers.
    for text, separator, expected in (
        ("0,999", ",", _double(0.999)), ("0.999", ",", _double(0.999)),
        ("0,999", ".", Fraction(999)), ("1.234,5", ",", Fraction(12345, 10)),
        ("99,9", ",", _double(99.9)), ("1e-3", ".", _double(0.001)), ("-", ",", Fraction(0)),
        (",", ",", Fraction(0)), ("5,", ",", Fraction(5)), (",5", ",", Fraction(1, 2)),
        ("1e-", ".", Fraction(1)), ("abc", ",", None), ("", ",", None), ("+", ",", None),
        ("1e", ",", None), ("1,2,3", ",", None), ("5-", ",", None), ("1e5000", ",", None),
        ("12 €", ",", Fraction(12)),
    ):
        value = read_float_lenient(text, separator)
        expect(f"read {text!r} with {separator!r}", None if value is None else to_double(value),
               expected)
    for text, expected in (
        ("0,999", _double(0.999)), ("0.999", _double(0.999)), ("99,9", _double(99.9)),
        (",5", Fraction(1, 2)), ("5.", Fraction(5)), ("-0,5e1", Fraction(-5)),
        ("1.234,5", None), ("1,234.5", None), ("1,2,3", None), ("1.234.567", None),
        ("0,999 €", None), (" 0,999", None), (",", None), ("-.", None), (",e5", None),
        ("1e-", None), ("", None),
    ):
        try:
            value = to_double(read_command_line_number(text))
        except UsageProblem:
            value = None
        expect(f"command line reads {text!r}", value, expected)
    try:
        to_double(read_float_lenient("1e400", "."))
        failures.append("1e400 fits a double")
    except FloatOverflow:
        pass
    expect("command line reads 4,933 nines after the separator",
           to_double(read_command_line_number("0," + "9" * 4933)), Fraction(1))
    for text in ("1e4933", "9" * 4934, "-1" + "0" * 5000):
        try:
            to_double(read_command_line_number(text))
            failures.append(f"command line reads {text[:20]!r}... within the double range")
        except FloatOverflow:
            pass
    for text, expected in (("9", 9), (" +12", 12), ("-5", -5), ("12 ", None), ("1,5", None),
                           ("", None), ("--1", None), ("9223372036854775807", 2**63 - 1),
                           ("9223372036854775808", None), ("-9223372036854775808", -(2**63))):
        expect(f"integer {text!r}", read_integer(text), expected)
    expect("low bits 5000000000", low_32_bits_signed(5000000000), 705032704)
    expect("low bits 4294967295", low_32_bits_signed(4294967295), -1)
    expect("low bits 2^31", low_32_bits_signed(2**31), -(2**31))

    # Number texts (decimal comma).
    third = to_extended(Fraction(1, 3))
    for value, decimals, expected in (
        (Fraction(1, 128), 6, "0,007813"),
        (to_extended(Fraction(4500, 1000000)), 3, "0,005"),
        (_double(0.0045), 3, "0,004"),
        (Fraction(5, 2), 0, "3"),
        (Fraction(1, 8), 2, "0,13"),
        (Fraction(0), 6, "0,000000"),
        (_double(0.0000004), 6, "0,000000"),
        (_double(-0.0000004), 6, "0,000000"),
        (_double(-0.0000006), 6, "-0,000001"),
        (third, 6, "0,333333"),
        (to_extended(Fraction(2, 3)), 6, "0,666667"),
        (_double(0.999), 6, "0,999000"),
        (Fraction(1), 6, "1,000000"),
        (Fraction(100), 3, "100,000"),
        (_double(123456789012345.678901), 6, "123456789012345,672000"),
        (Fraction(15 * 10**19), 6, "1,5E20"),
        (Fraction(15 * 10**19), 3, "1,5E020"),
        (Fraction(10**18), 6, "1E18"),
        (float("inf"), 6, "INF"),
        (float("-inf"), 6, "-INF"),
        (float("nan"), 6, "NAN"),
        (Fraction(EXTENDED.smallest_normal) / 2, 6, "0,000000"),
        (Fraction(-7, 10**30), 3, "0,000"),
        (Fraction(999999, 10**6), 3, "1,000"),
        (Fraction(95, 100), 0, "1"),
        (Fraction(-95, 100), 1, "-1,0"),
    ):
        expect(f"%.{decimals}f of {float(value)!r}", fixed_text(value, decimals, ","), expected)
    expect("_double check", _double(123456789012345.678901), Fraction(123456789012345671875, 10**6))
    expect("decimal point", fixed_text(Fraction(1, 128), 6, "."), "0.007813")
    expect("no separator", fixed_text(Fraction(1, 128), 6, "\0"), "0007813")
    expect("%d 1000000", format_text("%d", [1000000], ","), "1000000")
    expect("%d -5", format_text("%d", [-5], ","), "-5")
    expect("%d min", format_text("%d", [-(2**31)], ","), "-2147483648")

    # The report's worked example: 0,999, 2 engines, 4 runs, histogram 2, 1, 1.
    expect("worked example", report_lines(_double(0.999), 2, 4, [2, 1, 1], ","), [
        "Ausfallwahrscheinlichkeit: 0,999000, Durchläufe: 4",
        "0 Triebwerke, Ausfallwahrscheinlichekit 0,500000 = 50,000 Prozent",
        "1 Triebwerke, Ausfallwahrscheinlichekit 0,250000 = 25,000 Prozent",
        "2 Triebwerke, Ausfallwahrscheinlichekit 0,250000 = 25,000 Prozent",
    ])
    expect("header 99,9", report_lines(_double(99.9), -1, 1, [], ","),
           ["Ausfallwahrscheinlichkeit: 99,900000, Durchläufe: 1"])
    expect("negative runs", report_lines(_double(0.999), 0, -3, [0], ",")[1],
           "0 Triebwerke, Ausfallwahrscheinlichekit 0,000000 = 0,000 Prozent")
    expect("30,000,000 runs", report_lines(_double(0.999), 0, 30000000, [30000000], ",")[1],
           "0 Triebwerke, Ausfallwahrscheinlichekit 1,000000 = 100,000 Prozent")
    try:
        report_lines(_double(0.999), 0, 0, [0], ",")
        failures.append("0 / 0 raised nothing")
    except InvalidOperation as error:
        expect("error box text", str(error), "Ungültige Gleitkommaoperation.")

    # Quotient texts computed elsewhere.
    if quotients is not None:
        rows = 0
        for number, line in enumerate(quotients.read_text(encoding="utf-8").splitlines(), 1):
            if not line.strip() or line.startswith("#"):
                continue
            numerator, denominator, decimals, text = line.split("\t")
            quotient = extended_divide(Fraction(int(numerator)), Fraction(int(denominator)))
            expect(f"{quotients.name}:{number} {numerator}/{denominator} %.{decimals}f",
                   fixed_text(quotient, int(decimals), ","), text)
            rows += 1
        if rows == 0:
            failures.append(f"{quotients}: no rows")
    return failures


# ------------------------------------------------------------------------------------------------


def main(argv: list[str]) -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    commands = parser.add_subparsers(dest="command", required=True)
    report = commands.add_parser("report", help="print what triebwerke-report prints")
    report.add_argument("--engines", required=True)
    report.add_argument("--reliability", required=True)
    report.add_argument("--runs", required=True)
    report.add_argument("--seed")
    report.add_argument("--counts", action="store_true")
    report.add_argument("--decimal-separator", default=",")
    check = commands.add_parser("self-check", help="check against known values")
    check.add_argument("--quotients", type=Path)
    options = parser.parse_args(argv)

    if options.command == "report":
        outcome = run_report(options.engines, options.reliability, options.runs, options.seed,
                             options.counts, options.decimal_separator)
        sys.stdout.write(outcome.stdout)
        sys.stderr.write(outcome.stderr if outcome.stderr.endswith("\n") or not outcome.stderr
                         else outcome.stderr + "\n")
        return outcome.exit_code

    failures = self_check(options.quotients)
    for failure in failures:
        print("FAIL", failure)
    print("self-check:", "passed" if not failures else f"{len(failures)} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.stdout.reconfigure(encoding="utf-8")
    sys.stderr.reconfigure(encoding="utf-8")
    sys.exit(main(sys.argv[1:]))
