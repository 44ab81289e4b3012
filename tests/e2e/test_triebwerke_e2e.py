#!/usr/bin/env python3
"""End-to-end tests: the real Triebwerke program on a virtual X display, used like a person would.

Usage: test_triebwerke_e2e.py PATH-TO-Triebwerke PATH-TO-screen-grab [--group NAME]...

The cases come in groups; each group starts its own X server and one program under a pinned
locale and goes through its cases in order, one after the other, in that same program. The report
on the clipboard is read by another process (xclip) while the program still runs; the result grid
is looked at in screenshots. The last line says "N passed, M failed"; the exit code is 1 when a
case failed.
"""

from __future__ import annotations

import math
import re
import sys
import time
import traceback
from dataclasses import dataclass
from fractions import Fraction
from pathlib import Path
from typing import Callable

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(HERE.parent / "cli"))

import e2e_harness as h  # noqa: E402
import reference_report  # noqa: E402  (exact recomputation of report lines from the counts)

COMMA, POINT = "de_DE.UTF-8", "C.UTF-8"

# A group stops starting cases after this long, so that it reports before ctest's TIMEOUT (600 s).
GROUP_BUDGET = 420

SANITIZER_SIGNS = ("ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:")


# ------------------------------------------------------------------------------------------------
# The clipboard report


def check_report(text: str, *, separator: str, header: str, engines: int, runs: int,
                 reliability: str) -> None:
    """Checks a clipboard report as a reader of it would: its lines and line ends, the header with
    the typed values, one line per failure count, numbers that add up to the run count and agree
    with each other to the last digit, and a distribution that fits the inputs.

    `reliability` is the value as typed, with the locale's separator; runs must divide 10^6, so
    that every probability text is exact and gives the count it stands for."""
    assert text.endswith("\r\n"), f"the report does not end with CR LF: ...{text[-40:]!r}"
    lines = text[:-2].split("\r\n")
    for line in lines:
        assert "\r" not in line and "\n" not in line, f"stray line break in {line!r}"
    assert len(lines) == engines + 2, \
        f"{len(lines)} lines for {engines} engines, expected {engines + 2}: {lines!r}"
    assert lines[0] == header, f"header {lines[0]!r}, expected {header!r}"

    sep = re.escape(separator)
    pattern = re.compile(rf"(\d+) Triebwerke, Ausfallwahrscheinlichekit (\d+){sep}(\d{{6}})"
                         rf" = (\d+){sep}(\d{{3}}) Prozent")
    histogram = []
    for k, line in enumerate(lines[1:]):
        match = pattern.fullmatch(line)
        assert match, f"line {k + 2} does not have the form of a count line: {line!r}"
        assert int(match[1]) == k, f"line {k + 2} is for {match[1]} engines, expected {k}: {line!r}"
        probability = Fraction(int(match[2] + match[3]), 10**6)
        count = probability * runs
        assert count.denominator == 1, \
            f"probability {probability} x {runs} runs is no whole count: {line!r}"
        histogram.append(int(count))
    assert sum(histogram) == runs, f"the counts {histogram} add up to {sum(histogram)}, not {runs}"

    value = Fraction(reliability.replace(separator, "."))
    expected = reference_report.report_lines(Fraction(float(value)), engines, runs, histogram,
                                             separator)
    for k, (line, wanted) in enumerate(zip(lines[1:], expected[1:])):
        assert line == wanted, f"line {k + 2} is {line!r}; its count {histogram[k]} gives {wanted!r}"

    check_distribution(histogram, engines, runs, value)


def check_distribution(histogram: list[int], engines: int, runs: int, reliability: Fraction) -> None:
    """The counts must fit a binomial distribution of failures: every count within six standard
    deviations (and a few runs, for rare counts) of its expectation."""
    per_engine = float(reliability / 100 if reliability > 1 else reliability)
    failure = 1.0 - per_engine
    for k, count in enumerate(histogram):
        p = math.comb(engines, k) * failure**k * (1.0 - failure) ** (engines - k)
        mean = runs * p
        slack = 6 * math.sqrt(runs * p * (1 - p)) + 4
        assert abs(count - mean) <= slack, (
            f"{count} runs with {k} failed engines, expected about {mean:.1f} "
            f"(failure probability per engine {failure:g}); histogram {histogram}")


# ------------------------------------------------------------------------------------------------
# Steps a person takes


def expect_text(actual: str, expected: str, what: str) -> None:
    assert actual == expected, f"{what} shows {actual!r}, expected {expected!r}"


def set_inputs(app: h.RunningProgram, engines: str, reliability: str, runs: str) -> None:
    """Fills the three fields, each by a click, Ctrl+A and typing."""
    app.enter_field(h.ANZAHL, engines)
    app.enter_field(h.ZUVERLAESSIGKEIT, reliability)
    app.enter_field(h.DURCHLAEUFE, runs)


def copy_report(app: h.RunningProgram) -> str:
    """Clicks "ins Clipboard", waits for the confirmation, reads the clipboard while the box is
    open, closes the box with Enter and returns the report."""
    marker = app.put_marker_on_clipboard()
    app.click(h.INS_CLIPBOARD)
    box = app.wait_for_box(h.INFO_TITLE)
    text = app.wait_for_clipboard_change(marker, h.TOOL_TIMEOUT)
    app.close_box(box, "Return")
    return text


def expect_error_box(app: h.RunningProgram, marker: str | None = None,
                     timeout: float = h.WORK_TIMEOUT) -> str:
    """Waits for the error box titled with the application title and checks that no confirmation
    came with it and that the clipboard still holds the marker."""
    box = app.wait_for_box(h.ERROR_TITLE, timeout)
    assert not app.visible_windows(h.INFO_TITLE), "a confirmation box came with the error box"
    if marker is not None:
        content = app.read_clipboard()
        assert content == marker, f"the clipboard changed to {content!r}"
    return box


def expect_nothing_happened(app: h.RunningProgram, marker: str, grid_before: h.GridShape,
                            field_text: str) -> None:
    """Copies the focused field's text with Ctrl+A, Ctrl+C after the keys under test: the program
    handles its input in order, so once the text arrives every key before it has been handled.
    A click handler run by one of them would have put a report on the clipboard or opened a modal
    box that takes the copy keys; it would have changed the grid before the copy. So the clipboard
    shows the field's text, no box is open, the grid stays."""
    app.key("ctrl+a", "ctrl+c")
    expect_text(app.wait_for_clipboard_change(marker, h.TOOL_TIMEOUT), field_text,
                "the clipboard after Ctrl+C in the field")
    boxes = app.visible_windows(h.INFO_TITLE) + app.visible_windows(h.ERROR_TITLE)
    assert not boxes, "a box opened"
    shape = h.grid_shape(app.screenshot(), app.dpi)
    assert (shape.rows, shape.columns) == (grid_before.rows, grid_before.columns), \
        f"the grid changed from {grid_before} to {shape}"


INITIAL_GRID = h.GridShape(rows=5, columns=2)

# A field is as high as its font's text metrics plus 8 pixels of border. Tahoma's metrics are
# 2049 units above and 423 below the baseline per 2048: 11 + 2 at 11 pixels (96 DPI), 14 + 3 at
# 14 pixels (120 DPI), 17 + 4 at 17 pixels (144 DPI).
FIELD_HEIGHT = {96: 21, 120: 25, 144: 29}


def table(engines: int) -> h.GridShape:
    """The grid after a successful "Simulieren": a header row, one row per failure count, 5 columns."""
    return h.GridShape(rows=engines + 2, columns=5)


# ------------------------------------------------------------------------------------------------
# Cases, in groups; each group runs its cases in order in one program


def start_up_state(app: h.RunningProgram) -> None:
    """Right after start the focus is in Anzahl with its text selected: Ctrl+C, typed without any
    click, copies "9". The other fields show their initial values; the grid is the empty 5 x 2."""
    shape = h.grid_shape(app.screenshot(), app.dpi)
    assert (shape.rows, shape.columns) == (INITIAL_GRID.rows, INITIAL_GRID.columns), \
        f"the grid at start shows {shape}, expected {INITIAL_GRID}"
    marker = app.put_marker_on_clipboard()
    app.focus_main()
    app.key("ctrl+c")
    try:
        copied = app.wait_for_clipboard_change(marker, h.TOOL_TIMEOUT)
    except h.HarnessError as error:
        raise AssertionError("Ctrl+C right after start copied nothing: "
                             "no field with selected text has the focus") from error
    expect_text(copied, "9", "Ctrl+C right after start")
    expect_text(app.field_text(h.ZUVERLAESSIGKEIT), "0,999", "Zuverlaessigkeit")
    expect_text(app.field_text(h.DURCHLAEUFE), "1000000", "Durchlaeufe")


def default_report_comma(app: h.RunningProgram) -> None:
    """The initial inputs, 9 engines at 0,999 and 1000000 runs, give an 11-line report."""
    set_inputs(app, "9", "0,999", "1000000")
    check_report(copy_report(app), separator=",", engines=9, runs=1000000, reliability="0,999",
                 header="Ausfallwahrscheinlichkeit: 0,999000, Durchläufe: 1000000")


def typed_inputs_with_tab(app: h.RunningProgram) -> None:
    """Typing as a person does: Anzahl, Tab into the reliability (entered by keyboard, its text is
    selected and typed over), Tab past "Simulieren" into the run count. The fields drop what they
    do not accept ("." in a comma locale) and reformat their text when left ("0,50000" shows
    "0,5"). "Simulieren" then fills the grid with 5 rows; the report has 5 lines."""
    app.enter_field(h.ANZAHL, "3")
    app.key("Tab")
    app.type_text("0,50000")
    app.key("Tab", "Tab")
    app.type_text("1.000")
    app.key("Tab")
    expect_text(app.field_text(h.ANZAHL), "3", "Anzahl")
    expect_text(app.field_text(h.ZUVERLAESSIGKEIT), "0,5", "Zuverlaessigkeit")
    expect_text(app.field_text(h.DURCHLAEUFE), "1000", "Durchlaeufe")
    app.click(h.SIMULIEREN)
    app.wait_for_grid(table(3))
    check_report(copy_report(app), separator=",", engines=3, runs=1000, reliability="0,5",
                 header="Ausfallwahrscheinlichkeit: 0,500000, Durchläufe: 1000")


def no_engines(app: h.RunningProgram) -> None:
    """0 engines: a table of the header and one row; a report of two lines with probability 1."""
    set_inputs(app, "0", "0,999", "5000")
    app.click(h.SIMULIEREN)
    app.wait_for_grid(table(0))
    text = copy_report(app)
    check_report(text, separator=",", engines=0, runs=5000, reliability="0,999",
                 header="Ausfallwahrscheinlichkeit: 0,999000, Durchläufe: 5000")
    last = "0 Triebwerke, Ausfallwahrscheinlichekit 1,000000 = 100,000 Prozent\r\n"
    assert text.endswith("\r\n" + last), f"the report ends with {text[-len(last):]!r}, expected {last!r}"


def start_up_state_point(app: h.RunningProgram) -> None:
    """With the decimal point the reliability field starts at 0.999."""
    expect_text(app.field_text(h.ANZAHL), "9", "Anzahl")
    expect_text(app.field_text(h.ZUVERLAESSIGKEIT), "0.999", "Zuverlaessigkeit")
    expect_text(app.field_text(h.DURCHLAEUFE), "1000000", "Durchlaeufe")


def default_report_point(app: h.RunningProgram) -> None:
    """The initial inputs in a point locale: every number of the report with a full stop."""
    set_inputs(app, "9", "0.999", "1000000")
    check_report(copy_report(app), separator=".", engines=9, runs=1000000, reliability="0.999",
                 header="Ausfallwahrscheinlichkeit: 0.999000, Durchläufe: 1000000")


def typed_point_and_percentage(app: h.RunningProgram) -> None:
    """A reliability typed with the full stop is read with it; a value above 1 is a percentage for
    the simulation while the header prints it as typed."""
    set_inputs(app, "2", "97.5", "400")
    check_report(copy_report(app), separator=".", engines=2, runs=400, reliability="97.5",
                 header="Ausfallwahrscheinlichkeit: 97.500000, Durchläufe: 400")


def enter_in_fields_starts_nothing(app: h.RunningProgram) -> None:
    """Neither button is the default button: Enter in any of the three fields starts nothing."""
    set_inputs(app, "3", "0,9", "1000")
    grid_before = h.grid_shape(app.screenshot(), app.dpi)
    marker = app.put_marker_on_clipboard()
    for field in (h.ANZAHL, h.ZUVERLAESSIGKEIT, h.DURCHLAEUFE):
        app.click(field)
        app.key("Return")
    expect_nothing_happened(app, marker, grid_before, "1000")


def buttons_by_keyboard(app: h.RunningProgram) -> None:
    """Tab from the run count reaches "ins Clipboard" and Enter clicks it; while its confirmation
    is open the main window takes no click; Escape closes the box. Tab from the reliability
    reaches "Simulieren" and the space bar clicks it."""
    set_inputs(app, "3", "0,9", "1000")
    grid_before = h.grid_shape(app.screenshot(), app.dpi)
    app.click(h.DURCHLAEUFE)
    marker = app.put_marker_on_clipboard()
    app.key("Tab", "Return")
    box = app.wait_for_box(h.INFO_TITLE)
    check_report(app.wait_for_clipboard_change(marker, h.TOOL_TIMEOUT), separator=",", engines=3,
                 runs=1000, reliability="0,9", header="Ausfallwahrscheinlichkeit: 0,900000, Durchläufe: 1000")
    app.click(h.INS_CLIPBOARD, focus=False)
    app.click(h.SIMULIEREN, focus=False)
    # Escape reaches the box after the clicks. Had a click gone through, "ins Clipboard" would have
    # opened a second box, which would take the Escape and leave this one open, or "Simulieren"
    # would have changed the grid before the box closed.
    app.close_box(box, "Escape")
    assert not app.visible_windows(h.INFO_TITLE), "the box did not keep the main window from input"
    shape = h.grid_shape(app.screenshot(), app.dpi)
    assert (shape.rows, shape.columns) == (grid_before.rows, grid_before.columns), \
        "Simulieren ran while the box was open"
    app.click(h.ZUVERLAESSIGKEIT)
    app.key("Tab", "space")
    app.wait_for_grid(table(3))


def no_runs_report(app: h.RunningProgram) -> None:
    """0 runs: "ins Clipboard" ends in the error box titled "Triebwerke" (it says "Ungültige
    Gleitkommaoperation."; Qt does not let another process read a box's text, so its title stands
    for it), without a confirmation, and the clipboard keeps what it had. Enter closes the box."""
    set_inputs(app, "3", "0,9", "0")
    marker = app.put_marker_on_clipboard()
    app.click(h.INS_CLIPBOARD)
    box = expect_error_box(app, marker)
    app.close_box(box, "Return")
    assert app.read_clipboard() == marker, "the clipboard changed after the error"


def no_runs_table(app: h.RunningProgram) -> None:
    """0 runs: "Simulieren" ends in the error box too; the grid has taken its new shape (4 engines:
    6 rows, 5 columns), but the columns keep the width 120 since the sizing never ran. Escape
    closes the box."""
    set_inputs(app, "4", "0,9", "0")
    app.click(h.SIMULIEREN)
    box = expect_error_box(app)
    app.close_box(box, "Escape")
    shape = app.wait_for_grid(table(4))
    edges = [h.GRID_LEFT + 120 * (i + 1) - 1 for i in range(5)]
    assert shape.column_edges == edges, f"column edges {shape.column_edges}, expected {edges}"


def negative_engine_count(app: h.RunningProgram) -> None:
    """-1 engines: "Simulieren" leaves the grid with one row of 5 columns, no header row, and
    reports that the fixed rows no longer fit (error box)."""
    set_inputs(app, "-1", "0,9", "1000")
    app.click(h.SIMULIEREN)
    box = expect_error_box(app)
    app.close_box(box, "Return")
    app.wait_for_grid(h.GridShape(rows=1, columns=5))


def valid_clicks_after_errors(app: h.RunningProgram) -> None:
    """After the error boxes the program goes on: both buttons work again."""
    set_inputs(app, "2", "0,9", "1000")
    app.click(h.SIMULIEREN)
    app.wait_for_grid(table(2))
    check_report(copy_report(app), separator=",", engines=2, runs=1000, reliability="0,9",
                 header="Ausfallwahrscheinlichkeit: 0,900000, Durchläufe: 1000")


def layout_at_declared_dpi(app: h.RunningProgram) -> None:
    """The window takes the DPI the desktop declares and scales its 96-DPI layout by its own
    rule: client area, panel, field height and the grid's rows of MulDiv(24) pixels, while the two
    initial columns stay 64 pixels wide and every grid line stays one pixel thick."""
    def s(value: int) -> int:
        return h.mul_div(value, app.dpi, 96)

    size = app.window_size()
    assert size == (s(618), s(307)), f"client area {size}, expected {(s(618), s(307))}"
    image = app.screenshot()

    # Durchlaeufe's left part carries no text: its frame and its white inside differ from the
    # panel, from the field's top edge to its bottom edge.
    x = s(268) + 4
    background = image.pixel(x, s(23) - 3)
    field_rows = [y for y in range(s(23) - 3, s(23) + 2 * s(21))
                  if image.pixel(x, y) != background]
    assert field_rows and field_rows[0] == s(23), f"the field begins at {field_rows[:1]}"
    height = next((i for i, y in enumerate(field_rows) if y != field_rows[0] + i), len(field_rows))
    assert height == FIELD_HEIGHT[app.dpi], f"the field is {height} high"

    # The grid's cells begin inside its two-pixel frame, right below the panel.
    top = s(53) + 2
    rows = h.line_runs(image, range(top, top + 5 * s(24) + 4), across=h.GRID_LEFT + 1,
                       vertical=False)
    expected_rows = [(top + k * s(24) - 1, 1) for k in range(1, 6)]
    assert rows == expected_rows, f"row lines (first pixel, thickness) {rows}, expected {expected_rows}"
    columns = h.line_runs(image, range(h.GRID_LEFT, h.GRID_LEFT + 3 * 64), across=top + 1,
                          vertical=True)
    expected_columns = [(h.GRID_LEFT + 63, 1), (h.GRID_LEFT + 127, 1)]
    assert columns == expected_columns, \
        f"column lines (first pixel, thickness) {columns}, expected {expected_columns}"


def row_height_list_limits_the_row_count(app: h.RunningProgram) -> None:
    """Scaled rows give the grid a row height list, and with it the limit of 134,217,725 rows:
    134,217,724 engines ask for one row more and are refused at once, before anything is
    simulated or written (without the limit the click would go on to fill 670 million cells)."""
    set_inputs(app, "134217724", "0,999", "10")
    app.click(h.SIMULIEREN)
    box = expect_error_box(app, timeout=h.TOOL_TIMEOUT)
    app.close_box(box, "Return")


def window_icon_in_every_size(app: h.RunningProgram) -> None:
    """The window's icon property carries the icon in all its sizes, 256 pixels included."""
    sizes = app.window_icon_sizes()
    expected = [(n, n) for n in (16, 24, 32, 48, 64, 128, 256)]
    assert sorted(sizes) == expected, f"icon sizes {sizes}"


def closing_ends_the_program(app: h.RunningProgram) -> None:
    """The close box of the title bar (WM_DELETE_WINDOW) ends the program with exit code 0, and a
    sanitizer build has found nothing to report on the way."""
    app.close_main_window()
    code = app.exit_code()
    assert code == 0, f"exit code {code}"
    errors = [sign for sign in SANITIZER_SIGNS if sign in app.stderr_text()]
    assert not errors, f"the program reported {errors} on stderr"


@dataclass
class Group:
    name: str
    lang: str
    cases: list[Callable[[h.RunningProgram], None]]
    dpi: int = 96


GROUPS = [
    Group("comma_locale", COMMA,
          [start_up_state, layout_at_declared_dpi, window_icon_in_every_size, default_report_comma,
           typed_inputs_with_tab, no_engines, closing_ends_the_program]),
    Group("dpi_120", COMMA,
          [layout_at_declared_dpi, row_height_list_limits_the_row_count, valid_clicks_after_errors,
           closing_ends_the_program], dpi=120),
    Group("dpi_144", COMMA,
          [start_up_state, layout_at_declared_dpi, row_height_list_limits_the_row_count,
           valid_clicks_after_errors, closing_ends_the_program], dpi=144),
    Group("point_locale", POINT,
          [start_up_state_point, default_report_point, typed_point_and_percentage,
           closing_ends_the_program]),
    Group("keyboard_and_errors", COMMA,
          [enter_in_fields_starts_nothing, buttons_by_keyboard, no_runs_report, no_runs_table,
           negative_engine_count, valid_clicks_after_errors, closing_ends_the_program]),
]


# ------------------------------------------------------------------------------------------------


def describe_failure(error: BaseException, case: Callable) -> str:
    """The message of an expected kind of failure with the line of the case where it arose; the
    whole traceback of anything else."""
    if isinstance(error, (AssertionError, h.HarnessError)) and str(error):
        lines = [frame.lineno for frame in traceback.extract_tb(error.__traceback__)
                 if frame.name == case.__name__]
        return f"{error} (line {lines[-1]})" if lines else str(error)
    return "".join(traceback.format_exception(error)).rstrip()


def run_cases(app: h.RunningProgram, group_name: str, cases: list, budget: float,
              keep_screenshots: bool = False) -> tuple[int, int]:
    """Runs a group's cases one after another in one program, each reported as it ends; a case
    that fails does not stop the others. Stops the program at the end and keeps its files (and,
    when asked, a screenshot of each failure) only where a case failed."""
    passed = failed = 0
    keep_files = False
    deadline = time.monotonic() + budget
    try:
        for case in cases:
            title = f"{group_name}.{case.__name__}"
            try:
                if time.monotonic() > deadline:
                    raise h.HarnessError(f"not run: the group took more than {budget} s")
                if not app.running():
                    raise h.HarnessError(f"the program is no longer running "
                                         f"(exit code {app.process.returncode})")
                app.dismiss_boxes()
                case(app)
            except Exception as error:  # noqa: BLE001 - every failure is reported, then on
                failed += 1
                keep_files = True
                print(f"FAIL {title}\n     {describe_failure(error, case)}", flush=True)
                if keep_screenshots and app.running():
                    try:
                        app.screenshot(app.work_dir / f"{case.__name__}.png")
                    except h.HarnessError:
                        pass
            else:
                passed += 1
                print(f"ok   {title}", flush=True)
    finally:
        app.stop()
        stderr = app.stderr_text().strip()
        if keep_files:
            if stderr:
                print("     stderr of the program (last lines):\n       "
                      + "\n       ".join(stderr.splitlines()[-30:]))
            print(f"     files kept in {app.work_dir}")
        else:
            app.remove_files()
    return passed, failed


def run_group(group: Group, program: str, screen_grab: str) -> tuple[int, int]:
    print(f"== {group.name} (LANG={group.lang}, {group.dpi} DPI)", flush=True)
    with h.VirtualDisplay(dpi=group.dpi) as display:
        try:
            app = h.RunningProgram(program, screen_grab, display, group.lang)
        except h.HarnessError as error:
            print(f"FAIL {group.name}: the program did not start: {error}")
            return 0, len(group.cases)
        return run_cases(app, group.name, group.cases, GROUP_BUDGET)


def main() -> int:
    program, screen_grab, names = h.command_line(__doc__.splitlines()[0], [g.name for g in GROUPS])
    selected = [g for g in GROUPS if g.name in names]
    passed = failed = 0
    for group in selected:
        group_passed, group_failed = run_group(group, program, screen_grab)
        passed += group_passed
        failed += group_failed
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
