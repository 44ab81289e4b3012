#!/usr/bin/env python3
"""Drives the real Triebwerke program on a virtual X display, as a person at a desktop would.

A VirtualDisplay is an Xvfb server of our own on a free display number. A RunningProgram is one
Triebwerke process on it, started with a pinned environment; it offers what a person does: click at
a point of the main window, press keys, type text, look at the boxes that open, read and fill the
X clipboard (through xclip, a separate process, while the program still runs), take a screenshot,
and close the window through its close box (the WM_DELETE_WINDOW message a window manager sends).

Every external program runs under `timeout`. Waits poll against deadlines.

Also usable from the command line:
  e2e_harness.py close-window WINDOW-ID     send WM_DELETE_WINDOW to a window on $DISPLAY
  e2e_harness.py grid-shape SCREENSHOT.png  print the visible rows and columns of the result grid
"""

from __future__ import annotations

import argparse
import os
import re
import select
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import traceback
import zlib
from dataclasses import dataclass, field
from pathlib import Path
from typing import Callable

MAIN_TITLE = "Ausfallwahrscheinlichkeit von Raketentriebwerken"
INFO_TITLE = "Informationen"
ERROR_TITLE = "Triebwerke"  # the application title, derived from the program file's name

# Layout of the main window's client area at 96 DPI: centres of the controls a person clicks.
ANZAHL = (54, 33)
ZUVERLAESSIGKEIT = (174, 33)
DURCHLAEUFE = (314, 33)
SIMULIEREN = (425, 33)
INS_CLIPBOARD = (518, 33)

# The grid fills the client area below the 53 pixel high panel and has a two pixel frame, so its
# cells start at (2, 55); its frame's inner ring ends at x = 616 and y = 305.
GRID_LEFT, GRID_TOP, GRID_RIGHT, GRID_BOTTOM = 2, 55, 615, 304

# Budgets, in seconds. Generous: the AddressSanitizer build is much slower than the release build.
START_TIMEOUT = 90
WORK_TIMEOUT = 120  # a click that runs a simulation, until its box or its table shows
TOOL_TIMEOUT = 20  # one call of xdotool, xclip or screen-grab


def command_line(description: str, groups: list[str]) -> tuple[str, str, list[str]]:
    """What a test script is asked to run: the program, the screen grabber and the groups named
    (all of them when none is)."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("program")
    parser.add_argument("screen_grab")
    parser.add_argument("--group", action="append", choices=groups)
    args = parser.parse_args()
    return (str(Path(args.program).resolve()), str(Path(args.screen_grab).resolve()),
            args.group or groups)


class HarnessError(Exception):
    """The program did not do what was asked of it within the deadline."""


def run(args: list[str], *, timeout: float = TOOL_TIMEOUT, env: dict[str, str] | None = None,
        check: bool = True) -> subprocess.CompletedProcess:
    """Runs an external program under `timeout` and returns its outcome."""
    completed = subprocess.run(["timeout", "--kill-after=5", str(int(timeout)), *args],
                               env=env, stdin=subprocess.DEVNULL, capture_output=True)
    if check and completed.returncode != 0:
        raise HarnessError(f"{' '.join(args)} ended with {completed.returncode}: "
                           f"{completed.stderr.decode(errors='replace').strip()}")
    return completed


def _end_with_harness() -> None:
    """Runs in a started child before it executes: it gets SIGTERM when the harness dies, also
    when the harness is killed (`timeout` passes the signal on to the program it runs)."""
    import ctypes
    import signal

    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG


def start_long_lived(args: list[str], lifetime: float, **popen_arguments) -> subprocess.Popen:
    """Starts a program that outlives single steps (the X server, Triebwerke, a clipboard owner)
    under `timeout`, bound to the life of the harness."""
    return subprocess.Popen(["timeout", "--kill-after=5", str(int(lifetime)), *args],
                            preexec_fn=_end_with_harness, **popen_arguments)


def wait_until(condition, timeout: float, what: str, interval: float = 0.1):
    """Polls condition() until it returns something true; returns that or raises HarnessError."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() >= deadline:
            raise HarnessError(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


def mul_div(a: int, b: int, c: int) -> int:
    """a x b / c rounded to the nearest integer, halves away from zero: the layout's scaling."""
    quotient, remainder = divmod(abs(a * b), abs(c))
    if 2 * remainder >= abs(c):
        quotient += 1
    return quotient if (a * b < 0) == (c < 0) else -quotient


def scaled(point: tuple[int, int], dpi: int) -> tuple[int, int]:
    """A point of the 96-DPI layout on a desktop that declares `dpi`."""
    return mul_div(point[0], dpi, 96), mul_div(point[1], dpi, 96)


class VirtualDisplay:
    """An Xvfb server on a display number it picks itself (-displayfd), 1280x800. It declares
    `dpi` as a desktop does (GNOME and KDE set Xft.dpi to 144 at 150 %): through the Xft.dpi
    resource on the root window, which is what toolkits read; Xvfb's own -dpi only sets the
    screen's physical size. -noreset keeps the resource when the last client disconnects."""

    def __init__(self, lifetime: float = 900, dpi: int = 96):
        read_end, write_end = os.pipe()
        self.log = tempfile.TemporaryFile()
        self.dpi = dpi
        self.process = start_long_lived(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24", "-dpi", str(dpi),
             "-nolisten", "tcp", "-noreset"],
            lifetime, pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=self.log)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + START_TIMEOUT
        try:
            while not number.endswith(b"\n"):
                remaining = deadline - time.monotonic()
                ready, _, _ = select.select([read_end], [], [], max(remaining, 0))
                chunk = os.read(read_end, 16) if ready else b""
                if not chunk:
                    self.stop()
                    self.log.seek(0)
                    raise HarnessError("Xvfb did not report a display number: "
                                       + self.log.read().decode(errors="replace"))
                number += chunk
        finally:
            os.close(read_end)
        self.name = ":" + number.decode().strip()
        if dpi != 96:
            declared = subprocess.run(
                ["timeout", str(TOOL_TIMEOUT), "xrdb", "-nocpp", "-merge"],
                input=f"Xft.dpi:\t{dpi}\n".encode(), capture_output=True,
                env={"PATH": os.environ.get("PATH", "/usr/bin:/bin"), "DISPLAY": self.name})
            if declared.returncode != 0:
                self.stop()
                raise HarnessError("xrdb could not declare the DPI: "
                                   + declared.stderr.decode(errors="replace"))

    def stop(self) -> None:
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.close()

    def __enter__(self) -> "VirtualDisplay":
        return self

    def __exit__(self, *exc) -> None:
        self.stop()


def pinned_environment(display: str, lang: str, work_dir: Path) -> dict[str, str]:
    """The whole environment of a started program: nothing of the caller's locale or Qt settings
    leaks in (no LC_ALL, LC_NUMERIC, LANGUAGE, QT_SCALE_FACTOR, ...). Sanitizer options pass
    through, so that a sanitizer build reports as its test run asks, with two adjustments for the
    X11 libraries below Qt (see sanitizer_options)."""
    runtime_dir = work_dir / "runtime"
    runtime_dir.mkdir(mode=0o700, exist_ok=True)
    env = {
        "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
        "HOME": os.environ.get("HOME", "/tmp"),
        "DISPLAY": display,
        "LANG": lang,
        "QT_QPA_PLATFORM": "xcb",
        "XDG_RUNTIME_DIR": str(runtime_dir),
    }
    env.update(sanitizer_options(work_dir))
    return env


def sanitizer_options(work_dir: Path) -> dict[str, str]:
    """The caller's ASAN_, UBSAN_ and LSAN_OPTIONS, adjusted for a program on X11:

    - strict_string_checks is switched off: libxkbcommon-x11, which Qt's xcb plugin calls at
      start-up, hands strndup() an atom name that is not NUL-terminated, as strndup allows;
      strict checking reads it as a whole C string and aborts the program before its window opens.
    - the suppressions of lsan-desktop.supp are added to the caller's suppressions file."""
    options = {name: os.environ[name] for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS")
               if name in os.environ}
    if "ASAN_OPTIONS" in options:
        options["ASAN_OPTIONS"] += ":strict_string_checks=0"
    if "ASAN_OPTIONS" in options or "LSAN_OPTIONS" in options:
        settings = [item for item in options.get("LSAN_OPTIONS", "").split(":") if item]
        suppressions = [(Path(__file__).resolve().parent / "lsan-desktop.supp").read_text()]
        kept = []
        for item in settings:
            if item.startswith("suppressions="):
                suppressions.insert(0, Path(item.split("=", 1)[1]).read_text())
            else:
                kept.append(item)
        merged = work_dir / "lsan.supp"
        merged.write_text("\n".join(suppressions))
        options["LSAN_OPTIONS"] = ":".join(kept + [f"suppressions={merged}"])
    return options


class RunningProgram:
    """One Triebwerke process on a virtual display, and the person in front of it."""

    def __init__(self, program: str, screen_grab: str, display: VirtualDisplay, lang: str,
                 lifetime: float = 900, extra_env: dict[str, str] | None = None,
                 wrapper: list[str] | None = None):
        """extra_env adds to the pinned environment (what a desktop session exports); wrapper is
        a command line the program is started through, its own path appended."""
        self.screen_grab = screen_grab
        self.dpi = display.dpi
        self.work_dir = Path(tempfile.mkdtemp(prefix="triebwerke-e2e-"))
        self.env = pinned_environment(display.name, lang, self.work_dir)
        self.env.update(extra_env or {})
        # Tools that only talk to the X server get the display and nothing else of ours.
        self.tool_env = {"PATH": self.env["PATH"], "HOME": self.env["HOME"], "DISPLAY": display.name,
                         "LANG": "C.UTF-8", "XDG_RUNTIME_DIR": self.env["XDG_RUNTIME_DIR"]}
        self.stdout_path = self.work_dir / "stdout.txt"
        self.stderr_path = self.work_dir / "stderr.txt"
        self.clipboard_owners: list[subprocess.Popen] = []
        self.marker_count = 0
        with open(self.stdout_path, "wb") as out, open(self.stderr_path, "wb") as err:
            self.process = start_long_lived([*(wrapper or []), program], lifetime, env=self.env,
                                            cwd=self.work_dir,
                                            stdout=out, stderr=err, stdin=subprocess.DEVNULL)
        try:
            self.window = self._find_main_window()
        except HarnessError as error:
            self.stop()
            raise HarnessError(f"{error}\n(the program's output is kept in {self.work_dir})") from error

    # -- the process -----------------------------------------------------------------------------

    def running(self) -> bool:
        return self.process.poll() is None

    def exit_code(self, timeout: float = WORK_TIMEOUT) -> int:
        """Waits for the program to end and returns its exit code."""
        try:
            return self.process.wait(timeout)
        except subprocess.TimeoutExpired as error:
            raise HarnessError(f"the program did not end within {timeout:.0f} s") from error

    def stderr_text(self) -> str:
        return self.stderr_path.read_text(errors="replace")

    def stop(self) -> None:
        """Ends what this harness started: the clipboard owners and, if still running, the program."""
        for owner in self.clipboard_owners:
            if owner.poll() is None:
                owner.terminate()
                owner.wait()
        self.clipboard_owners.clear()
        if self.running():
            self.process.terminate()
            try:
                self.process.wait(20)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()

    def remove_files(self) -> None:
        shutil.rmtree(self.work_dir, ignore_errors=True)

    # -- windows -----------------------------------------------------------------------------------

    def xdotool(self, *args: str, timeout: float = TOOL_TIMEOUT,
                check: bool = True) -> subprocess.CompletedProcess:
        return run(["xdotool", *args], timeout=timeout, env=self.tool_env, check=check)

    def _find_main_window(self) -> str:
        def found():
            if not self.running():
                raise HarnessError(f"the program ended at start-up with {self.process.returncode}; "
                                   f"its stderr begins:\n{self.stderr_text()[:3000]}")
            result = self.xdotool("search", "--onlyvisible", "--name", f"^{MAIN_TITLE}$", check=False)
            ids = result.stdout.decode().split()
            return ids[0] if len(ids) == 1 else None
        return wait_until(found, START_TIMEOUT, "the main window", interval=0.2)

    def window_size(self) -> tuple[int, int]:
        """The main window's client area (there is no window manager to add a frame)."""
        result = self.xdotool("getwindowgeometry", "--shell", self.window)
        values = dict(line.split("=", 1) for line in result.stdout.decode().split())
        return int(values["WIDTH"]), int(values["HEIGHT"])

    def window_icon_sizes(self) -> list[tuple[int, int]]:
        """The sizes of the icons in the main window's _NET_WM_ICON property, read whole (xprop
        reads only the first few kilobytes of a property unless told otherwise)."""
        result = run(["xprop", "-len", "100000000", "-notype", "-id", self.window, "_NET_WM_ICON"],
                     env=self.tool_env)
        return [(int(w), int(h)) for w, h in
                re.findall(r"Icon \((\d+) x (\d+)\)", result.stdout.decode())]

    def visible_windows(self, title: str) -> list[str]:
        """Ids of the program's mapped windows with exactly this title."""
        result = self.xdotool("search", "--onlyvisible", "--name", f"^{title}$", check=False)
        return result.stdout.decode().split()

    def wait_for_box(self, title: str, timeout: float = WORK_TIMEOUT) -> str:
        def shown():
            if not self.running():
                raise HarnessError(f"the program ended with {self.process.returncode} while a box "
                                   f"'{title}' was awaited")
            boxes = self.visible_windows(title)
            return boxes[0] if boxes else None
        return wait_until(shown, timeout, f"the box '{title}'", interval=0.2)

    def close_box(self, box: str, key: str = "Return") -> None:
        """Gives the box the keyboard focus, presses the key and waits until it is gone."""
        self.xdotool("windowfocus", "--sync", box)
        self.xdotool("key", key)
        wait_until(lambda: box not in self.visible_windows_any(), TOOL_TIMEOUT,
                   f"the box to close after {key}")

    def visible_windows_any(self) -> list[str]:
        result = self.xdotool("search", "--onlyvisible", "--name", ".", check=False)
        return result.stdout.decode().split()

    def dismiss_boxes(self) -> None:
        """Closes every box still open (after an earlier failure), so the next step starts clean."""
        for title in (INFO_TITLE, ERROR_TITLE):
            for box in self.visible_windows(title):
                self.close_box(box, "Escape")

    def focus_main(self) -> None:
        # Without a window manager a person's click does not move the keyboard focus between
        # top-level windows; the focus is handed to the main window directly.
        self.xdotool("windowfocus", "--sync", self.window)

    def click(self, point: tuple[int, int], focus: bool = True) -> None:
        """Clicks a point given in the 96-DPI layout, where the window shows it at the display's
        DPI."""
        if focus:
            self.focus_main()
        x, y = scaled(point, self.dpi)
        self.xdotool("mousemove", "--window", self.window, str(x), str(y), "click", "1")

    def key(self, *keys: str) -> None:
        self.xdotool("key", "--delay", "30", *keys)

    def type_text(self, text: str) -> None:
        self.xdotool("type", "--delay", "30", "--", text)

    def enter_field(self, place: tuple[int, int], text: str) -> None:
        """Clicks into a field, selects its whole text and types over it."""
        self.click(place)
        self.key("ctrl+a")
        self.type_text(text)

    # -- clipboard --------------------------------------------------------------------------------

    def read_clipboard(self) -> str | None:
        """The clipboard's text as another program sees it, or None when nobody owns it."""
        result = run(["xclip", "-o", "-selection", "clipboard", "-t", "UTF8_STRING"],
                     env=self.tool_env, check=False)
        if result.returncode != 0:
            return None
        return result.stdout.decode("utf-8")

    def put_marker_on_clipboard(self) -> str:
        """Lets an xclip process of ours own the clipboard with a fresh marker text."""
        self.marker_count += 1
        marker = f"Markierung {self.marker_count} vor dem Klick"
        owner = start_long_lived(["xclip", "-quiet", "-selection", "clipboard", "-i"], 600,
                                 env=self.tool_env, stdin=subprocess.PIPE,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        owner.stdin.write(marker.encode())
        owner.stdin.close()
        self.clipboard_owners.append(owner)
        wait_until(lambda: self.read_clipboard() == marker, TOOL_TIMEOUT, "the marker on the clipboard")
        return marker

    def wait_for_clipboard_change(self, marker: str, timeout: float = WORK_TIMEOUT) -> str:
        def changed():
            text = self.read_clipboard()
            return text if text is not None and text != marker else None
        return wait_until(changed, timeout, "new clipboard content", interval=0.2)

    def field_text(self, place: tuple[int, int]) -> str:
        """What a field shows: click into it, select all, copy, read the clipboard."""
        marker = self.put_marker_on_clipboard()
        self.click(place)
        self.key("ctrl+a", "ctrl+c")
        return self.wait_for_clipboard_change(marker, TOOL_TIMEOUT)

    # -- screen -----------------------------------------------------------------------------------

    def screenshot(self, path: Path | None = None) -> "Image":
        path = path or self.work_dir / "screen.png"
        # The grabber is a Qt program of the same build, sanitizers included. It is a tool of the
        # test, not the program under test: what Qt 6.8's desktop services leave behind at its
        # exit (with stacks that end in Qt's own frames) is no finding, so its leaks go unchecked.
        sanitizers = {name: value for name, value in self.env.items() if name.endswith("SAN_OPTIONS")}
        if "ASAN_OPTIONS" in sanitizers:
            sanitizers["ASAN_OPTIONS"] += ":detect_leaks=0"
        run([self.screen_grab, str(path), self.window],
            env=dict(self.tool_env, QT_QPA_PLATFORM="xcb", **sanitizers))
        return Image.read(path)

    def wait_for_grid(self, expected: "GridShape", timeout: float = WORK_TIMEOUT) -> "GridShape":
        """Waits until the grid shows the expected rows and columns; returns what it shows."""
        last: list[GridShape] = []

        def shows():
            if not self.running():
                raise HarnessError(f"the program ended with {self.process.returncode}")
            shape = grid_shape(self.screenshot(), self.dpi)
            last[:] = [shape]
            return shape if (shape.rows, shape.columns) == (expected.rows, expected.columns) else None
        try:
            return wait_until(shows, timeout, "the grid", interval=0.3)
        except HarnessError as error:
            raise HarnessError(f"the grid shows {last[0] if last else 'nothing'}, expected "
                               f"{expected.rows} rows and {expected.columns} columns") from error

    # -- closing -------------------------------------------------------------------------------------

    def close_main_window(self) -> None:
        """Presses the close box of the title bar: the WM_DELETE_WINDOW message of a window manager."""
        run([sys.executable, str(Path(__file__).resolve()), "close-window", self.window],
            env=self.tool_env)


# ------------------------------------------------------------------------------------------------
# Sending WM_DELETE_WINDOW, through libX11 (there is no window manager to do it)


def send_close_request(window: int) -> None:
    import ctypes
    import ctypes.util

    xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XInternAtom.restype = ctypes.c_ulong
    xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                ctypes.c_void_p]
    xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                    ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                    ("data", ctypes.c_long * 5)]

    class Event(ctypes.Union):
        _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

    display = xlib.XOpenDisplay(None)
    if not display:
        raise SystemExit("cannot open the display")
    event = Event()
    event.xclient.type = 33  # ClientMessage
    event.xclient.window = window
    event.xclient.message_type = xlib.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data[0] = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    event.xclient.data[1] = 0  # CurrentTime
    xlib.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    xlib.XSync(display, 0)
    xlib.XCloseDisplay(display)


# ------------------------------------------------------------------------------------------------
# Screenshots


@dataclass
class Image:
    width: int
    height: int
    rows: list[bytes]  # RGB, three bytes per pixel

    def pixel(self, x: int, y: int) -> tuple[int, int, int]:
        row = self.rows[y]
        return row[3 * x], row[3 * x + 1], row[3 * x + 2]

    @staticmethod
    def read(path: Path) -> "Image":
        """Reads the 8-bit RGB or RGBA, non-interlaced PNG files that screen-grab writes."""
        data = Path(path).read_bytes()
        if data[:8] != b"\x89PNG\r\n\x1a\n":
            raise HarnessError(f"{path} is not a PNG file")
        position, compressed = 8, bytearray()
        width = height = channels = 0
        while position < len(data):
            (length,) = struct.unpack(">I", data[position:position + 4])
            kind = data[position + 4:position + 8]
            body = data[position + 8:position + 8 + length]
            position += 12 + length
            if kind == b"IHDR":
                width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
                if depth != 8 or colour not in (2, 6) or interlace != 0:
                    raise HarnessError(f"{path}: unsupported PNG kind {depth}/{colour}/{interlace}")
                channels = 3 if colour == 2 else 4
            elif kind == b"IDAT":
                compressed += body
        raw = zlib.decompress(bytes(compressed))
        stride = width * channels
        previous = bytearray(stride)
        rows = []
        offset = 0
        for _ in range(height):
            kind = raw[offset]
            line = bytearray(raw[offset + 1:offset + 1 + stride])
            offset += 1 + stride
            unfilter(kind, line, previous, channels)
            rows.append(bytes(line) if channels == 3 else bytes(
                b for i, b in enumerate(line) if i % 4 != 3))
            previous = line
        return Image(width, height, rows)


def unfilter(kind: int, line: bytearray, previous: bytearray, bpp: int) -> None:
    if kind == 0:
        return
    if kind == 2:
        for i in range(len(line)):
            line[i] = (line[i] + previous[i]) & 0xFF
        return
    for i in range(len(line)):
        left = line[i - bpp] if i >= bpp else 0
        up = previous[i]
        if kind == 1:
            line[i] = (line[i] + left) & 0xFF
        elif kind == 3:
            line[i] = (line[i] + (left + up) // 2) & 0xFF
        elif kind == 4:
            up_left = previous[i - bpp] if i >= bpp else 0
            estimate = left + up - up_left
            distances = (abs(estimate - left), abs(estimate - up), abs(estimate - up_left))
            predictor = left if distances[0] <= distances[1] and distances[0] <= distances[2] else (
                up if distances[1] <= distances[2] else up_left)
            line[i] = (line[i] + predictor) & 0xFF
        else:
            raise HarnessError(f"unknown PNG filter {kind}")


@dataclass
class GridShape:
    rows: int  # rows visible, the header row included
    columns: int
    column_edges: list[int] = field(default_factory=list)  # x of each column's right grid line

    def __str__(self) -> str:
        return f"{self.rows} rows and {self.columns} columns (right edges {self.column_edges})"


def _is_line(image: Image, x: int, y: int, lightest: int, along: tuple[int, int]) -> bool:
    """A grey pixel at most as light as `lightest` whose neighbour along the line has the same
    colour (grid lines are solid; text, the dotted focus rectangle and gradients are not)."""
    red, green, blue = image.pixel(x, y)
    if not (red == green == blue) or red > lightest:
        return False
    return image.pixel(x + along[0], y + along[1]) == (red, green, blue)


def line_runs(image: Image, positions: range, *, across: int, vertical: bool) -> list[tuple[int, int]]:
    """The grid lines met along a path through the table, as (first pixel, thickness): along x at
    row `across` for vertical lines, along y at column `across` for horizontal ones."""
    runs: list[tuple[int, int]] = []
    for position in positions:
        x, y = (position, across) if vertical else (across, position)
        if _is_line(image, x, y, 200, (0, 1) if vertical else (1, 0)):
            if runs and runs[-1][0] + runs[-1][1] == position:
                runs[-1] = (runs[-1][0], runs[-1][1] + 1)
            else:
                runs.append((position, 1))
    return runs


def grid_shape(image: Image, dpi: int = 96) -> GridShape:
    """Counts the rows and columns the result grid shows, from its grid lines, on a window laid
    out for `dpi`.

    Every row ends in a horizontal line on its last pixel row; at x = GRID_LEFT + 1 no cell text
    reaches (text starts three pixels into a cell). Every column ends in a vertical line on its last
    pixel column; the second pixel row of the table lies above all text. The area beside and below
    the table has no lines. Rows hidden below a scroll bar are not counted."""
    # The panel's height and the client area scale; the frame's two pixels do not.
    top = mul_div(53, dpi, 96) + GRID_TOP - 53
    right = mul_div(618, dpi, 96) + GRID_RIGHT - 618
    bottom = mul_div(307, dpi, 96) + GRID_BOTTOM - 307
    rows, previous = 0, False
    for y in range(top, bottom + 1):
        line = _is_line(image, GRID_LEFT + 1, y, 200, (1, 0))
        rows += line and not previous
        previous = line
    edges = [x for x in range(GRID_LEFT + 1, right)
             if _is_line(image, x, top + 1, 200, (0, 1)) and _starts_cell(image, x + 1, top + 1)]
    return GridShape(rows, len(edges), edges)


def _starts_cell(image: Image, x: int, y: int) -> bool:
    """Right of a column's line follows a cell or the empty area, white or in a selection colour;
    the scroll bar's edge line is followed by its grey gradient instead."""
    red, green, blue = image.pixel(x, y)
    return (red, green, blue) == (255, 255, 255) or not red == green == blue



@dataclass
class DisplayGroup:
    """Cases that share a virtual display of their own, declared at `dpi`: run(display, program,
    screen_grab)."""
    name: str
    run: Callable[[VirtualDisplay, str, str], None]
    dpi: int = 96


def run_display_groups(description: str, groups: list[DisplayGroup]) -> int:
    """The main of a test script whose groups each take a display: runs the groups named on the
    command line, reports each and returns the exit code."""
    program, screen_grab, names = command_line(description, [g.name for g in groups])
    passed = failed = 0
    for group in (g for g in groups if g.name in names):
        print(f"== {group.name} ({group.dpi} DPI)", flush=True)
        try:
            with VirtualDisplay(dpi=group.dpi) as display:
                group.run(display, program, screen_grab)
        except Exception as error:  # noqa: BLE001 - every failure is reported, then on
            failed += 1
            if isinstance(error, (AssertionError, HarnessError)):
                print(f"FAIL {group.name}\n     {error}", flush=True)
            else:
                print(f"FAIL {group.name}\n" + "".join(traceback.format_exception(error)), flush=True)
        else:
            passed += 1
            print(f"ok   {group.name}", flush=True)
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0

def main(argv: list[str]) -> int:
    if len(argv) == 3 and argv[1] == "close-window":
        send_close_request(int(argv[2], 0))
        return 0
    if len(argv) == 3 and argv[1] == "grid-shape":
        shape = grid_shape(Image.read(Path(argv[2])))
        print(shape.rows, shape.columns)
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
