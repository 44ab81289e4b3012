#!/usr/bin/env python3
"""End-to-end tests on the desktops people use: a screen reader reading the window through AT-SPI,
a Wayland compositor at scale 2, a Plasma session's scale variables, a machine without Tahoma,
and the dock's view of the window.

Usage: test_desktops_e2e.py PATH-TO-Triebwerke PATH-TO-screen-grab --group NAME

Every group starts its own displays and programs and stands alone. The group "accessibility"
needs python3-pyatspi and a session bus: run it with Debian's python3 under dbus-run-session.
The last line says "N passed, M failed"; the exit code is 1 when a case failed.
"""

from __future__ import annotations

import configparser
import os
import shutil
import subprocess
import sys
import tempfile
from dataclasses import dataclass
from pathlib import Path
from typing import Callable

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import e2e_harness as h  # noqa: E402
from test_triebwerke_e2e import COMMA, layout_at_declared_dpi  # noqa: E402

HEADERS = ["Ausgefallene Triebwerke", "Wahrscheinlichkeit", "Prozentwert", "Summiert",
           "Summiert Prozent"]
CAPTIONS = ["Anzahl Triebwerke:", "Ausfallwahrscheinlichkeit:", "Simulationsdurchläufe:"]
DESKTOP_FILE = HERE.parent.parent / "src" / "app" / "triebwerke.desktop"
WINE_FONTS = Path("/usr/share/wine/fonts")

# The panel's controls at 96 DPI (left, top, width, height), as the window's layout places them.
LABEL_LEFTS = [8, 128, 268]
BUTTON1 = (388, 21, 75, 25)
BUTTON2 = (481, 20, 75, 27)
LABEL_TOP, LABEL_HEIGHT = 4, 13

# The grid after "Simulieren" with the initial inputs, at 192 DPI: of the header row and the ten
# failure counts, rows of 48 pixels, ten fit the grid's 504 pixels; a scroll bar reaches the rest.
SIMULATED = h.GridShape(rows=10, columns=5)

# Ink: a pixel that differs from the background in some channel by more than this.
INK = 40


def differs(a: tuple[int, int, int], b: tuple[int, int, int]) -> bool:
    return max(abs(p - q) for p, q in zip(a, b)) > INK


def s(value: int, dpi: int) -> int:
    return h.mul_div(value, dpi, 96)


# ------------------------------------------------------------------------------------------------
# Measuring pictures


def ink_columns(image: h.Image, xs: range, ys: range, background) -> list[int]:
    return [x for x in xs if any(differs(image.pixel(x, y), background) for y in ys)]


def check_captions_stand_apart(image: h.Image, dpi: int) -> None:
    """Each label's text ends at least two pixels before the next control begins, and each
    button's caption stays two pixels clear of its frame on both sides."""
    background = image.pixel(s(4, dpi), s(2, dpi))
    band = range(s(LABEL_TOP, dpi), s(LABEL_TOP + LABEL_HEIGHT, dpi) + 2)
    slots = LABEL_LEFTS + [BUTTON1[0]]
    for number, caption in enumerate(CAPTIONS):
        left, following = s(slots[number], dpi), s(slots[number + 1], dpi)
        ink = ink_columns(image, range(left - 2, following), band, background)
        assert ink, f"no text where {caption!r} belongs"
        assert ink[0] >= left, f"{caption!r} begins at {ink[0]}, left of its place {left}"
        assert ink[-1] < following - 2, \
            f"{caption!r} reaches {ink[-1]}, into the next control at {following}"
    for name, (left, top, width, height) in (("Simulieren", BUTTON1), ("ins Clipboard", BUTTON2)):
        x0, y0 = s(left, dpi), s(top, dpi)
        x1, y1 = s(left + width, dpi) - 1, s(top + height, dpi) - 1
        rows = range(y0 + (y1 - y0) // 3, y1 - (y1 - y0) // 3 + 1)
        inside = range(x0 + 1, x1)
        ink = []
        for y in rows:
            colours = [image.pixel(x, y) for x in inside]
            face = max(set(colours), key=colours.count)
            ink += [x for x, colour in zip(inside, colours) if differs(colour, face)]
        assert ink, f"no caption on {name!r}"
        assert min(ink) >= x0 + 3 and max(ink) <= x1 - 3, \
            f"the caption of {name!r} spans {min(ink)}..{max(ink)}, its frame {x0}..{x1}"


def panel(image: h.Image, dpi: int) -> list[tuple[int, int, int]]:
    return [image.pixel(x, y) for y in range(s(53, dpi)) for x in range(image.width)]


@dataclass
class Layout:
    """What a picture of the window shows of its layout, measured without knowing how it was
    drawn: size, the field's top and height, the grid's row and column lines (first pixel and
    thickness) and where each caption's ink begins and ends."""
    size: tuple[int, int]
    field: tuple[int, int]
    rows: list[tuple[int, int]]
    columns: list[tuple[int, int]]
    captions: list[tuple[int, int]]


def measure(image: h.Image, dpi: int, grid_rows: int, grid_width: int) -> Layout:
    x = s(268, dpi) + 4
    background = image.pixel(x, s(23, dpi) - 3)
    field_rows = [y for y in range(s(23, dpi) - 3, s(23, dpi) + 2 * s(21, dpi))
                  if image.pixel(x, y) != background]
    height = next((i for i, y in enumerate(field_rows) if y != field_rows[0] + i), len(field_rows))
    top = s(53, dpi) + 2
    rows = h.line_runs(image, range(top, min(image.height - 3, top + grid_rows * s(24, dpi) + 4)),
                       across=h.GRID_LEFT + 1, vertical=False)
    columns = h.line_runs(image, range(h.GRID_LEFT, min(image.width - 3, h.GRID_LEFT + grid_width)),
                          across=top + 1, vertical=True)
    panel_background = image.pixel(s(4, dpi), s(2, dpi))
    band = range(s(LABEL_TOP, dpi), s(LABEL_TOP + LABEL_HEIGHT, dpi) + 2)
    slots = [s(left, dpi) for left in LABEL_LEFTS + [BUTTON1[0]]]
    captions = []
    for left, following in zip(slots, slots[1:]):
        ink = ink_columns(image, range(left, following), band, panel_background)
        captions.append((ink[0], ink[-1]) if ink else (-1, -1))
    return Layout((image.width, image.height), (field_rows[0] if field_rows else -1, height),
                  rows, columns, captions)


# ------------------------------------------------------------------------------------------------
# The dock and the window manager


def window_class_matches_the_desktop_file(app: h.RunningProgram) -> None:
    """Docks match a window to its desktop entry by its class: the entry names the class the
    window carries."""
    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(DESKTOP_FILE, encoding="utf-8")
    declared = entry["Desktop Entry"].get("StartupWMClass")
    result = h.run(["xprop", "-notype", "-id", app.window, "WM_CLASS"], env=app.tool_env)
    names = [part.strip().strip('"') for part in result.stdout.decode().split("=", 1)[1].split(",")]
    assert declared == names[1], f"the desktop entry declares {declared!r}, the window {names}"
    assert DESKTOP_FILE.stem == "triebwerke"


def captions_stand_apart(app: h.RunningProgram) -> None:
    """With Tahoma the captions stand apart as the layout means them to."""
    check_captions_stand_apart(app.screenshot(), app.dpi)


# ------------------------------------------------------------------------------------------------
# A Plasma session's scale variables


def plasma_picture_equals_the_plain_picture(display: h.VirtualDisplay, program: str,
                                            screen_grab: str, factor: str) -> None:
    """Xft.dpi with QT_SCREEN_SCALE_FACTORS and QT_AUTO_SCREEN_SCALE_FACTOR, as a Plasma session
    exports them, gives the same picture as Xft.dpi alone: the program's own rule, lines of one
    pixel, no second scaling by Qt."""
    pictures = []
    for extra in ({}, {"QT_SCREEN_SCALE_FACTORS": factor, "QT_AUTO_SCREEN_SCALE_FACTOR": "1"}):
        app = h.RunningProgram(program, screen_grab, display, COMMA, extra_env=extra)
        try:
            if extra:
                layout_at_declared_dpi(app)
            app.click(h.DURCHLAEUFE)
            pictures.append(app.screenshot())
        finally:
            app.stop()
            app.remove_files()
    plain, plasma = pictures
    assert (plasma.width, plasma.height) == (plain.width, plain.height), \
        f"{plasma.width} x {plasma.height}, plain {plain.width} x {plain.height}"
    different = sum(1 for y in range(plain.height) for x in range(plain.width)
                    if plain.pixel(x, y) != plasma.pixel(x, y))
    assert different == 0, f"{different} pixels differ from the plain picture"


# ------------------------------------------------------------------------------------------------
# A machine without Tahoma


def without_tahoma(display: h.VirtualDisplay, program: str, screen_grab: str) -> None:
    """With the font hidden from the program (a private mount over Wine's font folder), the panel
    is drawn in another font, and still no caption runs into another or into its frame."""
    pictures = []
    empty = Path(tempfile.mkdtemp(prefix="triebwerke-no-fonts-"))
    hide = ["unshare", "--mount", "sh", "-c",
            f'mount --bind "{empty}" "{WINE_FONTS}" && exec "$0"']
    try:
        for wrapper in (None, hide):
            app = h.RunningProgram(program, screen_grab, display, COMMA, wrapper=wrapper)
            try:
                pictures.append(app.screenshot())
            finally:
                app.stop()
                app.remove_files()
    finally:
        empty.rmdir()
    with_font, without_font = pictures
    assert panel(with_font, display.dpi) != panel(without_font, display.dpi), \
        "the panel looks the same without Tahoma: the font was not hidden"
    check_captions_stand_apart(without_font, display.dpi)


# ------------------------------------------------------------------------------------------------
# Wayland


# Weston's output in its own units: at scale 2 its window on the virtual X display, 1280 x 680
# device pixels, holds the program's window of 1236 x 614 and lies within the X screen, where the
# pointer can reach every point of it.
WESTON_OUTPUT = (640, 340)


class Weston:
    """Weston with an output of the given scale, in a window of its own on a virtual X display
    (its headless backend takes no input), with a plain background and no panel, so that the one
    client's window is all that differs from the background in a screenshot."""

    BACKGROUND = (0x20, 0x40, 0x80)

    def __init__(self, display: h.VirtualDisplay, scale: int, work_dir: Path):
        self.work_dir = work_dir
        self.runtime = work_dir / "runtime"
        self.runtime.mkdir(mode=0o700, exist_ok=True)
        self.socket = "triebwerke-wayland"
        config = work_dir / "weston.ini"
        config.write_text("[core]\nidle-time=0\n\n[shell]\nbackground-color=0xff204080\n"
                          "panel-position=none\n")
        self.env = {"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "HOME": str(work_dir),
                    "XDG_RUNTIME_DIR": str(self.runtime), "DISPLAY": display.name}
        self.log = open(work_dir / "weston.log", "wb")
        self.process = h.start_long_lived(
            ["weston", "--backend=x11-backend.so", f"--scale={scale}", "--use-pixman", "--debug",
             f"--socket={self.socket}", f"--width={WESTON_OUTPUT[0]}",
             f"--height={WESTON_OUTPUT[1]}", f"--config={config}"],
            600, env=self.env, cwd=work_dir, stdout=self.log, stderr=subprocess.STDOUT)
        h.wait_until(lambda: (self.runtime / self.socket).exists(), h.START_TIMEOUT,
                     "weston's socket")
        self.client_env = {"PATH": self.env["PATH"], "HOME": self.env["HOME"],
                           "XDG_RUNTIME_DIR": str(self.runtime), "WAYLAND_DISPLAY": self.socket}

    def screenshot(self) -> h.Image:
        shots = self.work_dir / "shots"
        shutil.rmtree(shots, ignore_errors=True)
        shots.mkdir()
        subprocess.run(["timeout", str(h.TOOL_TIMEOUT), "weston-screenshooter"],
                       env=self.client_env, cwd=shots, capture_output=True, check=True)
        return h.Image.read(next(shots.glob("*.png")))

    def click(self, x: int, y: int) -> None:
        """A click at a point of the output, in device pixels: through weston's own X window,
        which shows the output pixel for pixel."""
        tool_env = {"PATH": self.env["PATH"], "DISPLAY": self.env["DISPLAY"]}
        found = h.run(["xdotool", "search", "--class", "Weston"], env=tool_env)
        window = found.stdout.decode().split()[0]
        shape = h.run(["xdotool", "getwindowgeometry", "--shell", window], env=tool_env)
        place = dict(line.split("=", 1) for line in shape.stdout.decode().split())
        # Weston follows the pointer device (XTEST), not a warped pointer.
        left, top = int(place["X"]), int(place["Y"])
        # Weston hands the pointer to the surface below it once it has handled the motion there,
        # which shows as its cursor drawn at the point; a button pressed before that goes nowhere.
        # It is seen to follow a pointer that comes from its window's corner, so the pointer is
        # led there first, as often as it takes.
        def around(image: h.Image) -> list[tuple[int, int, int]]:
            return [image.pixel(x + i, y + j) for j in range(12) for i in range(8)]
        before = around(self.screenshot())

        def arrived() -> bool:
            for point in ((left + 2, top + 2), (left + x, top + y)):
                h.run(["xdotool", "mousemove", *map(str, point)], env=tool_env)
            try:
                return h.wait_until(lambda: around(self.screenshot()) != before, 2,
                                    "weston's cursor at the point")
            except h.HarnessError:
                return False
        h.wait_until(arrived, h.TOOL_TIMEOUT, "weston's cursor at the point", 0)
        h.run(["xdotool", "click", "1"], env=tool_env)

    def stop(self) -> None:
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(20)
        self.log.close()


def window_in(image: h.Image, background: tuple[int, int, int]) -> tuple[int, int, int, int] | None:
    """The bounding box (left, top, width, height) of the one window on the background: the rows
    and columns with more than 200 pixels that are not background, more than the pointer has."""
    def filled(pixels) -> bool:
        return sum(1 for pixel in pixels if pixel != background) > 200
    rows = [y for y in range(image.height)
            if filled(image.pixel(x, y) for x in range(image.width))]
    columns = [x for x in range(image.width)
               if filled(image.pixel(x, y) for y in range(image.height))]
    if not rows or not columns:
        return None
    return columns[0], rows[0], columns[-1] - columns[0] + 1, rows[-1] - rows[0] + 1


class Crop:
    """A part of a picture, read like a whole one."""

    def __init__(self, image: h.Image, box: tuple[int, int, int, int]):
        self.image, (self.left, self.top, self.width, self.height) = image, box

    def pixel(self, x: int, y: int) -> tuple[int, int, int]:
        return self.image.pixel(self.left + x, self.top + y)


def wayland_scale_2_equals_x11_at_192(display: h.VirtualDisplay, program: str,
                                      screen_grab: str) -> None:
    """On Wayland at scale 2 the window follows the program's own rule at 192 DPI, as on X11 with
    Xft.dpi 192: the same client area, field, grid lines of one device pixel and captions in the
    same places (text drawn at its device size, not a 96-DPI picture doubled); after
    "Simulieren" the same rows and columns, measured in the font of 192 DPI."""
    dpi = 192
    declared = subprocess.run(["timeout", str(h.TOOL_TIMEOUT), "xrdb", "-nocpp", "-merge"],
                              input=f"Xft.dpi:\t{dpi}\n".encode(), capture_output=True,
                              env={"PATH": os.environ.get("PATH", ""), "DISPLAY": display.name})
    assert declared.returncode == 0, declared.stderr
    x11 = h.RunningProgram(program, screen_grab, display, COMMA)
    x11.dpi = dpi
    try:
        x11_start = measure(x11.screenshot(), dpi, 5, 3 * 64)
        x11.click(h.SIMULIEREN)
        x11.wait_for_grid(SIMULATED)
        x11_table = measure(x11.screenshot(), dpi, SIMULATED.rows, 1200)
    finally:
        x11.stop()
        x11.remove_files()

    work_dir = Path(tempfile.mkdtemp(prefix="triebwerke-wayland-"))
    weston = Weston(display, 2, work_dir)
    try:
        env = dict(weston.client_env, LANG=COMMA, QT_QPA_PLATFORM="wayland",
                   QT_WAYLAND_DISABLE_WINDOWDECORATION="1")
        env.update(h.sanitizer_options(work_dir))
        with open(work_dir / "stderr.txt", "wb") as err:
            program_process = h.start_long_lived([program], 600, env=env, cwd=work_dir,
                                                 stdout=subprocess.DEVNULL, stderr=err)
        try:
            def window(settled):
                if program_process.poll() is not None:
                    raise h.HarnessError(f"the program ended with {program_process.returncode}: "
                                         + (work_dir / "stderr.txt").read_text(errors="replace"))
                image = weston.screenshot()
                box = window_in(image, Weston.BACKGROUND)
                # Until the shell has drawn its background, the whole output is "window".
                if not box or box[2] < 600 or box[3] < 300 or box[2] == image.width:
                    return None
                crop = Crop(image, box)
                return crop if settled(crop) else None

            def drawn(crop):
                # Two shots in a row that agree: the window has finished drawing.
                previous, shots[:] = list(shots), [crop.pixel(x, y) for y in range(crop.height)
                                                   for x in range(0, crop.width, 3)]
                return previous == shots
            shots: list = []
            start = h.wait_until(lambda: window(drawn), h.START_TIMEOUT, "the window on Wayland")
            wayland_start = measure(start, dpi, 5, 3 * 64)
            x, y = h.scaled(h.SIMULIEREN, dpi)
            weston.click(start.left + x, start.top + y)
            table = h.wait_until(
                lambda: window(lambda crop: (h.grid_shape(crop, dpi).rows,
                                             h.grid_shape(crop, dpi).columns)
                               == (SIMULATED.rows, SIMULATED.columns)),
                h.WORK_TIMEOUT, "the table on Wayland")
            wayland_table = measure(table, dpi, SIMULATED.rows, 1200)
        finally:
            program_process.terminate()
            program_process.wait(20)
    finally:
        weston.stop()
        shutil.rmtree(work_dir, ignore_errors=True)

    assert x11_start.size == (1236, 614), f"X11 at 192 DPI: {x11_start.size}"
    assert wayland_start == x11_start, f"Wayland {wayland_start}\nX11     {x11_start}"
    assert all(thickness == 1 for _, thickness in wayland_start.rows + wayland_start.columns), \
        f"lines thicker than one device pixel: {wayland_start}"
    assert wayland_table == x11_table, \
        f"after Simulieren: Wayland {wayland_table}\nX11     {x11_table}"


# ------------------------------------------------------------------------------------------------
# A screen reader


class ScreenReader:
    """What Orca sees: the program's tree through AT-SPI, and the events it is sent."""

    def __init__(self):
        import pyatspi
        from gi.repository import GLib

        self.pyatspi = pyatspi
        self.context = GLib.MainContext.default()
        # Roles by their numbers: at-spi2-core renames them between releases ("push button" in
        # 2.46, "button" in 2.56).
        self.events: list[tuple[str, int, str, int]] = []
        pyatspi.Registry.registerEventListener(
            self._heard, "object:state-changed:focused",
            "object:property-change:accessible-description")

    def _heard(self, event) -> None:
        try:
            self.events.append((event.type, event.source.getRole(), event.source.name,
                                event.detail1))
        except Exception as error:  # noqa: BLE001 - an object gone meanwhile is no event of ours
            self.events.append((event.type, -1, str(error), 0))

    def pump(self) -> None:
        while self.context.iteration(False):
            pass

    def wait_for_event(self, what: str, condition) -> tuple[str, int, str, int]:
        def heard():
            self.pump()
            return next((event for event in self.events if condition(event)), None)
        return h.wait_until(heard, h.WORK_TIMEOUT, what, interval=0.05)

    def application(self, name: str):
        def found():
            desktop = self.pyatspi.Registry.getDesktop(0)
            return next((app for app in desktop if app is not None and app.name == name), None)
        return h.wait_until(found, h.START_TIMEOUT, f"the application {name!r} on the bus", 0.2)

    def find_all(self, root, role: int) -> list:
        found, pending = [], [root]
        while pending:
            node = pending.pop()
            if node.getRole() == role:
                found.append(node)
            if node.getRole() != self.pyatspi.ROLE_TABLE:
                pending.extend(child for child in node if child is not None)
        return found

    def labelled_by(self, node) -> list[str]:
        relations = node.getRelationSet()
        return [relation.getTarget(i).name for relation in relations
                if relation.getRelationType() == self.pyatspi.RELATION_LABELLED_BY
                for i in range(relation.getNTargets())]


def simulate_and_wait_for_news(app: h.RunningProgram, reader: ScreenReader, engines: str,
                               reliability: str, runs: str) -> None:
    """Enters the inputs, clicks "Simulieren" and waits until the reader is told of the table."""
    app.enter_field(h.ANZAHL, engines)
    app.enter_field(h.ZUVERLAESSIGKEIT, reliability)
    app.enter_field(h.DURCHLAEUFE, runs)
    reader.pump()
    reader.events.clear()
    app.click(h.SIMULIEREN)
    news = "object:property-change:accessible-description"
    reader.wait_for_event(f"the news of the table of {engines} engines",
                          lambda event: event[0].startswith(news)
                          and event[1] == reader.pyatspi.ROLE_TABLE)


def screen_reader_reads_the_window(display: h.VirtualDisplay, program: str,
                                   screen_grab: str) -> None:
    """Through AT-SPI each field is named by its caption and labelled by it; the grid is a table
    named "Ergebnis" with the table's size and column headers; after "Simulieren" the reader is
    told of the new table, and a cell's text equals the report's; Down in the grid tells the
    reader which cell has the focus. A table of five million rows reads its last row, and Ctrl+End
    takes the focus there."""
    reader = ScreenReader()
    app = h.RunningProgram(program, screen_grab, display, COMMA, extra_env={
        "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
        "DBUS_SESSION_BUS_ADDRESS": os.environ["DBUS_SESSION_BUS_ADDRESS"]})
    try:
        tree = reader.application("Triebwerke")
        fields = reader.find_all(tree, reader.pyatspi.ROLE_TEXT)
        named = {field.name: reader.labelled_by(field) for field in fields if field.name}
        for caption in CAPTIONS:
            assert named.get(caption) == [caption], f"fields and their labels: {named}"
        buttons = sorted(button.name for button in reader.find_all(tree, reader.pyatspi.ROLE_PUSH_BUTTON))
        assert buttons == ["Simulieren", "ins Clipboard"], f"buttons {buttons}"
        tables = reader.find_all(tree, reader.pyatspi.ROLE_TABLE)
        assert [table.name for table in tables] == ["Ergebnis"], f"tables {tables}"
        table = tables[0].queryTable()
        assert (table.nRows, table.nColumns) == (4, 2), f"{table.nRows} x {table.nColumns}"

        simulate_and_wait_for_news(app, reader, "3", "100", "10")
        assert (table.nRows, table.nColumns) == (4, 5), f"{table.nRows} x {table.nColumns}"
        headers = [table.getColumnHeader(column).name for column in range(5)]
        assert headers == HEADERS, f"column headers {headers}"
        descriptions = [table.getColumnDescription(column) for column in range(5)]
        assert descriptions == HEADERS, f"column descriptions {descriptions}"
        cells = [[table.getAccessibleAt(row, column).name for column in range(5)]
                 for row in range(4)]

        marker = app.put_marker_on_clipboard()
        app.click(h.INS_CLIPBOARD)
        box = app.wait_for_box(h.INFO_TITLE)
        report = app.wait_for_clipboard_change(marker, h.TOOL_TIMEOUT).split("\r\n")
        app.close_box(box, "Return")
        first = cells[0]
        expected = f"{first[0]}, Ausfallwahrscheinlichekit {first[1]} = {first[2]}"
        assert report[1] == expected, f"report line {report[1]!r}, the table's cells {first}"

        reader.events.clear()
        app.click((40, 53 + 24 + 12))
        reader.wait_for_event("the focus on the first cell", lambda event: event[1:] == (
            reader.pyatspi.ROLE_TABLE_CELL, cells[0][0], 1))
        reader.events.clear()
        app.key("Down")
        reader.wait_for_event("the focus on the cell below", lambda event: event == (
            "object:state-changed:focused", reader.pyatspi.ROLE_TABLE_CELL, cells[1][0], 1))

        # Five million rows are read like four: the last row's cells, and the focus after Ctrl+End.
        simulate_and_wait_for_news(app, reader, "5000000", "0,99999", "1")
        assert (table.nRows, table.nColumns) == (5_000_001, 5), f"{table.nRows} x {table.nColumns}"
        last = [table.getAccessibleAt(5_000_000, column).name for column in range(5)]
        # One run: its failures sum to a share of 1 by the last row, which itself had none.
        assert last == ["5000000 Triebwerke", "0,000000", "0,000 Prozent", "1,000000",
                        "100,000 Prozent"], f"the last row {last}"
        reader.events.clear()
        app.click((40, 53 + 24 + 12))
        reader.wait_for_event("the focus in the long table", lambda event: event[:2] == (
            "object:state-changed:focused", reader.pyatspi.ROLE_TABLE_CELL))
        reader.events.clear()
        app.key("ctrl+End")
        reader.wait_for_event("the focus on the last cell", lambda event: event == (
            "object:state-changed:focused", reader.pyatspi.ROLE_TABLE_CELL, last[4], 1))
    finally:
        app.stop()
        app.remove_files()


# ------------------------------------------------------------------------------------------------




def plain_cases(*cases: Callable[[h.RunningProgram], None]):
    def run(display: h.VirtualDisplay, program: str, screen_grab: str) -> None:
        app = h.RunningProgram(program, screen_grab, display, COMMA)
        try:
            for case in cases:
                case(app)
        finally:
            app.stop()
            app.remove_files()
    return run


GROUPS = [
    h.DisplayGroup("accessibility", screen_reader_reads_the_window),
    h.DisplayGroup("window_class",
                   plain_cases(window_class_matches_the_desktop_file, captions_stand_apart)),
    h.DisplayGroup("plasma_125",
                   lambda d, p, g: plasma_picture_equals_the_plain_picture(d, p, g, "1.25"),
                   dpi=120),
    h.DisplayGroup("plasma_150",
                   lambda d, p, g: plasma_picture_equals_the_plain_picture(d, p, g, "1.5"),
                   dpi=144),
    h.DisplayGroup("no_tahoma_96", without_tahoma),
    h.DisplayGroup("no_tahoma_144", without_tahoma, dpi=144),
    h.DisplayGroup("wayland_scale_2", wayland_scale_2_equals_x11_at_192),
]


def main() -> int:
    return h.run_display_groups(__doc__.splitlines()[0], GROUPS)


if __name__ == "__main__":
    sys.exit(main())
