#!/usr/bin/env python3
"""End-to-end tests of the Windows build: Triebwerke.exe under Wine on a virtual X display, used
as a person at a Windows desktop would use it.

Usage: test_wine_e2e.py WINE-RUN-SCRIPT TRIEBWERKE.EXE [--group NAME]... [--screenshot PATH]

WINE-RUN-SCRIPT is scripts/wine-run.sh (or a script that runs a Windows program the same way).
Each group starts its own X server, Wine prefix and program, so groups can run side by side; the
cases of a group run in order in that one program. The layout is measured on screenshots against
the rules of the Linux end-to-end tests; the report on the clipboard is read by an X program
(xclip) and by a Windows program in the same prefix; the boxes the program opens are Windows'
own and are read by the latter too. --screenshot PATH saves the window at 96 DPI after
"Simulieren" with the initial inputs (alone, or after the groups named). The last line says
"N passed, M failed"; the exit code is 1 when a case failed.
"""

from __future__ import annotations

import argparse
import shutil
import sys
import tempfile
import time
from collections import Counter
from dataclasses import dataclass, field
from pathlib import Path
from typing import Callable

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
sys.path.insert(0, str(HERE.parent / "e2e"))

import e2e_harness as h  # noqa: E402
import test_desktops_e2e as desktops  # noqa: E402
import test_triebwerke_e2e as linux  # noqa: E402
import wine_harness as w  # noqa: E402
from test_screen_reader_e2e import german_locale  # noqa: E402

COMMA, POINT = linux.COMMA, linux.POINT

# A group stops starting cases after this long: Wine makes a prefix and starts Qt's DLLs more
# slowly than the Linux build starts, so there is more room than in the Linux groups.
GROUP_BUDGET = 480

CONFIRMATION_TEXT = "Ergebnis in die Zwischenablage kopiert"
NO_RUNS_TEXT = "Ungültige Gleitkommaoperation."


def found(what: str) -> None:
    print(f"     found: {what}", flush=True)


# ------------------------------------------------------------------------------------------------
# Boxes


def icon_colours(image: h.Image, rect: tuple[int, int, int, int]) -> tuple[int, int]:
    """The red and the blue pixels in an icon's rectangle: the stop icon is a red disc, the
    information icon a blue one; neither has any of the other's colour."""
    left, top, right, bottom = rect
    red = blue = 0
    for y in range(max(top, 0), min(bottom, image.height)):
        for x in range(max(left, 0), min(right, image.width)):
            r, g, b = image.pixel(x, y)
            red += r >= 150 and g <= 90 and b <= 90
            blue += b >= 150 and r <= 110 and b - r >= 60
    return red, blue


def check_box(app: w.WineProgram, box: str, title: str, text: str, icon: str) -> None:
    """A box as its reader sees it: its message, one OK button and one icon, of its kind's
    colour. The controls' texts and places come from Windows, the icon's colours from the
    screen."""
    controls = app.box_controls(title)
    texts = [c.text for c in controls if c.kind == "Static" and c.text]
    buttons = [c.text for c in controls if c.kind == "Button"]
    icons = [c.rect for c in controls if c.kind == "Static" and not c.text]
    image = app.grab(box)
    colours = [icon_colours(image, rect) for rect in icons]
    found(f"box '{title}' of {image.width} x {image.height}: texts {texts}, buttons {buttons}, "
          f"icons at {icons} with (red, blue) pixels {colours}")
    assert texts == [text], f"the box '{title}' says {texts}, expected [{text!r}]"
    assert buttons == ["OK"], f"the box '{title}' has the buttons {buttons}, expected ['OK']"
    assert len(icons) == 1, f"the box '{title}' has {len(icons)} icons"
    (left, top, right, bottom), (red, blue) = icons[0], colours[0]
    # A disc fills more than half its square; an eighth is plenty, and a stray pixel or two of
    # the other colour would be antialiasing at most.
    enough = (right - left) * (bottom - top) // 8
    if icon == "stop":
        assert red >= enough and blue < 3, f"no stop icon: {red} red and {blue} blue pixels"
    else:
        assert blue >= enough and red < 3, \
            f"no information icon: {red} red and {blue} blue pixels"


# ------------------------------------------------------------------------------------------------
# The report on the clipboard


def copy_report(app: w.WineProgram) -> str:
    """Clicks "ins Clipboard", checks the confirmation, reads the report while the box is open,
    closes the box with Return and returns the report as Windows programs paste it.

    Wine offers the Windows clipboard's text to X programs (as UTF8_STRING, STRING, TEXT and
    text/plain) with every CR LF turned into a bare LF, the line end X programs expect, and keeps
    the text as it is for Windows programs. So xclip must get exactly the Windows text with its
    CR LFs as LFs, and the Windows text carries the program's own line ends."""
    marker = app.put_marker_on_clipboard()
    app.click(h.INS_CLIPBOARD)
    box = app.wait_for_box(h.INFO_TITLE)
    x_text = app.wait_for_clipboard_change(marker, h.TOOL_TIMEOUT)
    windows_text = app.windows_clipboard()
    check_box(app, box, h.INFO_TITLE, CONFIRMATION_TEXT, "information")
    assert windows_text is not None, "Windows programs find no text on the clipboard"
    found(f"X clipboard: {x_text.count(chr(10))} LF, {x_text.count(chr(13))} CR, "
          f"{len(x_text)} characters; Windows clipboard: {windows_text.count(chr(13) + chr(10))} "
          f"CR LF, {windows_text.count(chr(10))} LF, {len(windows_text)} characters")
    assert "\r" not in x_text, f"Wine handed X a CR: {x_text[:120]!r}"
    assert x_text == windows_text.replace("\r\n", "\n"), \
        f"X got {x_text[:120]!r}, Windows holds {windows_text[:120]!r}"
    app.close_box(box, "Return")
    return windows_text


def check_report(text: str, **expected) -> None:
    linux.check_report(text, **expected)
    lines = text.split("\r\n")
    found(f"report of {len(lines) - 1} lines: {lines[0]!r} ... {lines[-2]!r}")


# ------------------------------------------------------------------------------------------------
# The grid's cells on a screenshot


@dataclass
class GridCells:
    rows: list[tuple[int, int]]  # first and last pixel row inside each row's lines
    columns: list[tuple[int, int]]
    fixed: list[tuple[int, int]] = field(default_factory=list)  # (row, column)
    selected: list[tuple[int, int]] = field(default_factory=list)

    def first_movable(self) -> tuple[int, int]:
        """The top left cell of those that are not fixed."""
        movable = [(r, c) for r in range(len(self.rows)) for c in range(len(self.columns))
                   if (r, c) not in self.fixed]
        return min(r for r, _ in movable), min(c for _, c in movable)


def grid_cells(image: h.Image, dpi: int) -> GridCells:
    """The cells between the grid lines, by what their inside mostly shows: white for a plain
    cell, another grey for a fixed one (its face's gradient), a colour for a selected one."""
    width, height = h.mul_div(618, dpi, 96), h.mul_div(307, dpi, 96)
    assert image.width >= width and image.height >= height, \
        f"the window is {image.width} x {image.height}, smaller than its layout at {dpi} DPI"
    top = h.mul_div(53, dpi, 96) + h.GRID_TOP - 53
    bottom = height + h.GRID_BOTTOM - 307
    row_lines = h.line_runs(image, range(top, bottom + 1), across=h.GRID_LEFT + 1, vertical=False)
    rows, start = [], top
    for first, thickness in row_lines:
        rows.append((start, first - 1))
        start = first + thickness
    columns, start = [], h.GRID_LEFT
    for edge in h.grid_shape(image, dpi).column_edges:
        columns.append((start, edge - 1))
        start = edge + 1
    cells = GridCells(rows, columns)
    for r, (y0, y1) in enumerate(rows):
        for c, (x0, x1) in enumerate(columns):
            # Two pixels in from the lines: the focus rectangle runs along them.
            inside = Counter(image.pixel(x, y) for y in range(y0 + 2, y1 - 1)
                             for x in range(x0 + 2, x1 - 1))
            if not inside:
                continue
            colour = inside.most_common(1)[0][0]
            if not colour[0] == colour[1] == colour[2]:
                cells.selected.append((r, c))
            elif colour != (255, 255, 255):
                cells.fixed.append((r, c))
    return cells


def wait_for_selection(app: w.WineProgram, expected: list[tuple[int, int]],
                       after: str) -> GridCells:
    last: list[GridCells] = []

    def shows():
        cells = grid_cells(app.screenshot(), app.dpi)
        last[:] = [cells]
        return cells if cells.selected == expected else None
    try:
        cells = h.wait_until(shows, h.TOOL_TIMEOUT, f"the selection after {after}", interval=0.3)
    except h.HarnessError as error:
        raise AssertionError(f"after {after} the grid shows the selection at "
                             f"{last[0].selected if last else 'nothing'}, expected {expected}") \
            from error
    found(f"after {after}: selection (row, column) {cells.selected}")
    return cells


# ------------------------------------------------------------------------------------------------
# Cases


def layout_at_declared_dpi(app: w.WineProgram) -> None:
    """The Linux rules for the window at the declared DPI: client area, field, grid lines."""
    image = app.screenshot()
    layout = desktops.measure(image, app.dpi, 5, 3 * 64)
    found(f"client area {layout.size[0]} x {layout.size[1]}, field top and height {layout.field}, "
          f"row lines {layout.rows}, column lines {layout.columns}, captions {layout.captions}")
    linux.layout_at_declared_dpi(app)
    desktops.check_captions_stand_apart(image, app.dpi)


def fields_typed_then_simulated(app: w.WineProgram) -> None:
    """The three fields typed over with the keyboard, each read back as the field shows it when
    left ("0,50000" becomes "0,5"); "Simulieren" gives a header row and one row per failure count
    of 0 to 3 engines, in 5 columns."""
    linux.set_inputs(app, "3", "0,50000", "1000")
    shown = [app.field_text(place) for place in (h.ANZAHL, h.ZUVERLAESSIGKEIT, h.DURCHLAEUFE)]
    found(f"fields show {shown}")
    assert shown == ["3", "0,5", "1000"], f"the fields show {shown}"
    app.click(h.SIMULIEREN)
    shape = app.wait_for_grid(linux.table(3))
    found(f"grid of {shape}")


def grid_keys_move_the_selection(app: w.WineProgram) -> None:
    """A click selects the cell under it; Ctrl+End goes to the last row's last cell, Ctrl+Home to
    the top left cell of those that are not fixed."""
    cells = grid_cells(app.screenshot(), app.dpi)
    found(f"{len(cells.rows)} rows {cells.rows}, {len(cells.columns)} columns {cells.columns}, "
          f"fixed cells {cells.fixed}")
    assert (len(cells.rows), len(cells.columns)) == (5, 5), \
        f"the grid has {len(cells.rows)} rows and {len(cells.columns)} columns, expected 5 and 5"
    header = [(0, c) for c in range(5)]
    assert all(cell in cells.fixed for cell in header), \
        f"the header row is not drawn fixed: fixed cells {cells.fixed}"
    (y0, y1), (x0, x1) = cells.rows[3], cells.columns[2]
    app.click_pixel((x0 + x1) // 2, (y0 + y1) // 2)
    wait_for_selection(app, [(3, 2)], "a click into row 3, column 2")
    app.key("ctrl+End")
    wait_for_selection(app, [(4, 4)], "Ctrl+End")
    app.key("ctrl+Home")
    wait_for_selection(app, [cells.first_movable()], "Ctrl+Home")


def report_of_the_typed_inputs(app: w.WineProgram) -> None:
    """"ins Clipboard" with the inputs of the simulation before: a report of 5 lines."""
    check_report(copy_report(app), separator=",", engines=3, runs=1000, reliability="0,5",
                 header="Ausfallwahrscheinlichkeit: 0,500000, Durchläufe: 1000")


def no_runs_error_box(app: w.WineProgram) -> None:
    """0 runs: "ins Clipboard" ends in Windows' error box with the stop icon, titled with the
    application title, saying why; no confirmation comes and the clipboard keeps what it had.
    Return closes the box and the program goes on."""
    linux.set_inputs(app, "3", "0,9", "0")
    marker = app.put_marker_on_clipboard()
    app.click(h.INS_CLIPBOARD)
    box = linux.expect_error_box(app, marker)
    check_box(app, box, h.ERROR_TITLE, NO_RUNS_TEXT, "stop")
    app.close_box(box, "Return")
    after = app.read_clipboard()
    found(f"clipboard after the box: {after!r}")
    assert after == marker, f"the clipboard changed to {after!r}"
    assert app.running(), f"the program ended with {app.process.returncode}"


def initial_report(app: w.WineProgram, separator: str) -> None:
    """The initial inputs give an 11-line report whose numbers carry the locale's separator."""
    reliability = f"0{separator}999"
    linux.set_inputs(app, "9", reliability, "1000000")
    check_report(copy_report(app), separator=separator, engines=9, runs=1000000,
                 reliability=reliability,
                 header=f"Ausfallwahrscheinlichkeit: 0{separator}999000, Durchläufe: 1000000")


def initial_report_comma(app: w.WineProgram) -> None:
    initial_report(app, ",")


def initial_report_point(app: w.WineProgram) -> None:
    initial_report(app, ".")


def typed_point_and_percentage(app: w.WineProgram) -> None:
    """With the point a value above 1 is a percentage for the simulation; the header prints it as
    typed."""
    linux.set_inputs(app, "2", "97.5", "400")
    check_report(copy_report(app), separator=".", engines=2, runs=400, reliability="97.5",
                 header="Ausfallwahrscheinlichkeit: 97.500000, Durchläufe: 400")


def start_up_state(app: w.WineProgram) -> None:
    linux.start_up_state(app)
    found("focus in Anzahl with \"9\" selected, fields \"0,999\" and \"1000000\", grid 5 x 2")


def start_up_state_point(app: w.WineProgram) -> None:
    linux.start_up_state_point(app)
    found("fields \"9\", \"0.999\" and \"1000000\"")


def closing_ends_the_program(app: w.WineProgram) -> None:
    linux.closing_ends_the_program(app)
    found(f"exit code {app.process.returncode} after the close request")


@dataclass
class Group:
    name: str
    lang: str
    cases: list[Callable[[w.WineProgram], None]]
    dpi: int = 96
    lc_all: str | None = None


def dpi_cases() -> list[Callable[[w.WineProgram], None]]:
    return [start_up_state, layout_at_declared_dpi, fields_typed_then_simulated,
            grid_keys_move_the_selection, report_of_the_typed_inputs, no_runs_error_box,
            closing_ends_the_program]


# The locale groups set LANG to the other locale: LC_ALL alone must decide.
GROUPS = [
    Group("dpi_96", COMMA, dpi_cases(), dpi=96),
    Group("dpi_120", COMMA, dpi_cases(), dpi=120),
    Group("dpi_144", COMMA, dpi_cases(), dpi=144),
    Group("comma_locale", POINT, [start_up_state, initial_report_comma, closing_ends_the_program],
          lc_all=COMMA),
    Group("point_locale", COMMA, [start_up_state_point, initial_report_point,
                                  typed_point_and_percentage, closing_ends_the_program],
          lc_all=POINT),
]


# ------------------------------------------------------------------------------------------------
# Running a group


class WineSession:
    """A group's scratch folder, X server, Wine prefix (DPI declared) and helper program."""

    def __init__(self, wine_run: str, name: str, dpi: int, lang: str, lc_all: str | None):
        self.scratch = Path(tempfile.mkdtemp(prefix=f"triebwerke-wine-{name}-"))
        self.wine_run, self.lang = wine_run, lang
        self.display: h.VirtualDisplay | None = None
        self.env: dict[str, str] = {}
        try:
            self.display = h.VirtualDisplay(dpi=dpi)
            locale = german_locale(self.scratch)
            if lc_all:
                locale["LC_ALL"] = lc_all
            self.env = w.wine_environment(wine_run, self.scratch, locale)
            reg_env = dict(h.pinned_environment(self.display.name, lang, self.scratch), **self.env)
            started = time.monotonic()
            w.declare_dpi(wine_run, reg_env, dpi)
            print(f"     prefix made and LogPixels {dpi} declared in "
                  f"{time.monotonic() - started:.0f} s", flush=True)
            self.helper = w.build_helper(self.scratch)
        except BaseException:
            self.close()
            raise

    def start(self, program: str) -> w.WineProgram:
        return w.WineProgram(self.wine_run, program, self.display, self.lang, self.env, self.helper)

    def close(self) -> None:
        if self.display is not None:
            if self.env:
                w.end_wine(dict(h.pinned_environment(self.display.name, self.lang, self.scratch),
                                **self.env))
            self.display.stop()
        shutil.rmtree(self.scratch, ignore_errors=True)


def run_group(group: Group, wine_run: str, program: str) -> tuple[int, int]:
    passed = failed = 0
    started = time.monotonic()
    print(f"== {group.name} (LANG={group.lang}"
          f"{f', LC_ALL={group.lc_all}' if group.lc_all else ''}, {group.dpi} DPI, Wine)",
          flush=True)
    try:
        session = WineSession(wine_run, group.name, group.dpi, group.lang, group.lc_all)
    except h.HarnessError as error:
        print(f"FAIL {group.name}: no Wine to run in: {error}")
        return 0, len(group.cases)
    try:
        try:
            app = session.start(program)
        except h.HarnessError as error:
            print(f"FAIL {group.name}: the program did not start: {error}")
            return 0, len(group.cases)
        passed, failed = linux.run_cases(app, group.name, group.cases, GROUP_BUDGET,
                                         keep_screenshots=True)
    finally:
        session.close()
        print(f"== {group.name}: {passed} passed, {failed} failed in "
              f"{time.monotonic() - started:.0f} s", flush=True)
    return passed, failed


def take_screenshot(wine_run: str, program: str, output: Path) -> bool:
    """The window at 96 DPI in the German locale after "Simulieren" with the initial inputs, the
    pointer off the window, as the README shows it."""
    print(f"== screenshot ({COMMA}, 96 DPI, Wine)", flush=True)
    session = app = None
    try:
        session = WineSession(wine_run, "screenshot", 96, COMMA, None)
        app = session.start(program)
        app.click(h.SIMULIEREN)
        app.move_pointer_away()

        def table_shown() -> h.GridShape | None:
            shape = h.grid_shape(app.screenshot())
            return shape if shape.columns == 5 else None
        shape = h.wait_until(table_shown, h.WORK_TIMEOUT, "the table of the initial inputs",
                             interval=0.3)
        output.parent.mkdir(parents=True, exist_ok=True)
        app.screenshot(output)
        found(f"grid of {shape}")
        print(f"Saved {output}", flush=True)
        return True
    except Exception as error:  # noqa: BLE001 - reported like a failed case
        print(f"FAIL screenshot: {error}", flush=True)
        return False
    finally:
        if app is not None:
            app.stop()
            app.remove_files()
        if session is not None:
            session.close()


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("wine_run")
    parser.add_argument("program")
    parser.add_argument("--group", action="append", choices=[g.name for g in GROUPS])
    parser.add_argument("--screenshot", type=Path, metavar="PATH")
    args = parser.parse_args()
    wine_run = str(Path(args.wine_run).resolve())
    program = str(Path(args.program).resolve())
    names = args.group or ([] if args.screenshot else [g.name for g in GROUPS])
    passed = failed = 0
    for group in (g for g in GROUPS if g.name in names):
        group_passed, group_failed = run_group(group, wine_run, program)
        passed += group_passed
        failed += group_failed
    if args.screenshot:
        if take_screenshot(wine_run, program, args.screenshot.resolve()):
            passed += 1
        else:
            failed += 1
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
