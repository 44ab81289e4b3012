#!/usr/bin/env python3
"""Drives the Windows build of Triebwerke under Wine on a virtual X display, as a person at a
Windows desktop would: the person of tests/e2e/e2e_harness.py, with what Wine changes.

- Every group gets a Wine prefix of its own in a scratch folder, made on first use by
  scripts/wine-run.sh, so that groups run side by side without sharing a wineserver, a registry
  or a clipboard. The DPI a Windows desktop declares is the registry's LogPixels; it is written
  before the program starts, since Windows programs read it once.
- Wine hands each top-level window to X as a window of its own, without a title bar where no
  window manager draws one: the main window's X window is its client area, as on Linux.
- Screenshots come from the X server itself (XGetImage through libX11), in a short process of
  ours under `timeout`: the Linux build's Qt grabber need not be built for a Windows run.
- What X cannot see of a native Windows box, its text, and the clipboard as Windows programs
  find it, are read by a small Windows program of ours (built here with MinGW-w64, run in the
  same prefix): the person's eyes on the box, and a paste into a Windows program.

Also usable from the command line:
  wine_harness.py grab OUTPUT.png WINDOW-ID     save a PNG of a window on $DISPLAY
"""

from __future__ import annotations

import ctypes
import ctypes.util
import os
import shutil
import struct
import subprocess
import sys
import zlib
from dataclasses import dataclass
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "e2e"))

import e2e_harness as h  # noqa: E402

# A new prefix takes half a minute to make, longer on a busy machine; a Windows program of ours
# in a prefix that runs already starts within a second.
PREFIX_TIMEOUT = 300
HELPER_TIMEOUT = 60

HELPER_SOURCE = r"""
#include <windows.h>
#include <stdlib.h>

/* UTF-8 to stdout as raw bytes: no C runtime between us and the pipe that could add CRs. */
static void put(const wchar_t* text, int length)
{
    DWORD written;
    int size = WideCharToMultiByte(CP_UTF8, 0, text, length, NULL, 0, NULL, NULL);
    char* bytes = malloc(size > 0 ? size : 1);
    WideCharToMultiByte(CP_UTF8, 0, text, length, bytes, size, NULL, NULL);
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes, size, &written, NULL);
    free(bytes);
}

static BOOL CALLBACK control(HWND window, LPARAM box)
{
    wchar_t name[256], text[4096], place[64];
    RECT rect;
    int length;
    GetClassNameW(window, name, 256);
    /* Where the control lies in the box's client area, which is the box's X window. */
    GetWindowRect(window, &rect);
    MapWindowPoints(NULL, (HWND)box, (POINT*)&rect, 2);
    wsprintfW(place, L"%d %d %d %d", rect.left, rect.top, rect.right, rect.bottom);
    /* The text the window holds, without sending it a message: the box's thread is busy in its
       own modal loop, and a message would only ask it for the same. */
    length = InternalGetWindowText(window, text, 4096);
    put(name, lstrlenW(name));
    put(L"\t", 1);
    put(place, lstrlenW(place));
    put(L"\t", 1);
    put(text, length);
    put(L"\n", 1);
    return TRUE;
}

static const wchar_t* wanted;
static HWND found;

static BOOL CALLBACK topLevel(HWND window, LPARAM unused)
{
    wchar_t title[512];
    (void)unused;
    if (IsWindowVisible(window) && InternalGetWindowText(window, title, 512) > 0 &&
        lstrcmpW(title, wanted) == 0) {
        found = window;
        return FALSE;
    }
    return TRUE;
}

int wmain(int argc, wchar_t** argv)
{
    /* Pixels as the screen has them, at any DPI: Windows scales what it tells a program that
       knows nothing of DPI. */
    SetProcessDPIAware();
    if (argc == 2 && lstrcmpW(argv[1], L"clipboard") == 0) {
        HANDLE data;
        const wchar_t* text = NULL;
        int tries = 0;
        /* Another program may hold the clipboard open for a moment (Wine's own X clipboard
           bridge does, while it answers X); two seconds are plenty. */
        while (!OpenClipboard(NULL)) {
            if (++tries == 100)
                return 3;
            Sleep(20);
        }
        data = GetClipboardData(CF_UNICODETEXT);
        if (data != NULL)
            text = GlobalLock(data);
        if (text != NULL) {
            put(text, lstrlenW(text));
            GlobalUnlock(data);
        }
        CloseClipboard();
        return text != NULL ? 0 : 2;
    }
    if (argc == 3 && lstrcmpW(argv[1], L"controls") == 0) {
        wanted = argv[2];
        EnumWindows(topLevel, 0);
        if (found == NULL)
            return 2;
        EnumChildWindows(found, control, (LPARAM)found);
        return 0;
    }
    return 1;
}
"""


def build_helper(folder: Path) -> Path:
    """Builds the Windows program that reads boxes and the clipboard from inside Wine."""
    compiler = next((shutil.which(name) for name in
                     ("x86_64-w64-mingw32-gcc", "x86_64-w64-mingw32-gcc-posix",
                      "x86_64-w64-mingw32-gcc-win32") if shutil.which(name)), None)
    if compiler is None:
        raise h.HarnessError("no MinGW-w64 C compiler (x86_64-w64-mingw32-gcc) to build the helper")
    source = folder / "peek.c"
    source.write_text(HELPER_SOURCE)
    program = folder / "peek.exe"
    h.run([compiler, "-municode", "-Os", "-s", "-o", str(program), str(source)], timeout=120)
    return program


def qt_for_windows(wine_run: str) -> str:
    """The Qt for Windows that wine-run.sh would take, asked in the caller's environment (it is
    found through the caller's home or cache variables, which the program does not get)."""
    if os.environ.get("TRIEBWERKE_WINDOWS_QT"):
        return os.environ["TRIEBWERKE_WINDOWS_QT"]
    script = Path(wine_run).resolve().parent / "build-windows-qt.sh"
    return h.run([str(script), "--print-prefix"], env=dict(os.environ)).stdout.decode().strip()


def wine_environment(wine_run: str, scratch: Path, extra: dict[str, str]) -> dict[str, str]:
    """What the program and our Windows helpers run with, over the Linux harness's pinned
    environment, then `extra`:
    - the group's own prefix, and a home of its own, so that nothing Wine makes (menu entries,
      links to the user's folders) lands in the caller's home; winemenubuilder is off besides;
    - the platform plugin of Qt for Windows: the pinned xcb would send the Windows Qt looking for
      a plugin it does not have."""
    home = scratch / "home"
    home.mkdir(exist_ok=True)
    env = {"WINEPREFIX": str(scratch / "prefix"), "HOME": str(home),
           "TRIEBWERKE_WINDOWS_QT": qt_for_windows(wine_run),
           "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
           "QT_QPA_PLATFORM": "windows"}
    env.update(extra)
    return env


def declare_dpi(wine_run: str, env: dict[str, str], dpi: int) -> None:
    """Writes the DPI into the prefix's registry, as the display settings of Windows do; makes
    the prefix first when it is new. Windows reads it for every program that starts later."""
    h.run([wine_run, "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels",
           "/t", "REG_DWORD", "/d", str(dpi), "/f"], env=env, timeout=PREFIX_TIMEOUT)
    query = h.run([wine_run, "reg", "query", r"HKCU\Control Panel\Desktop", "/v", "LogPixels"],
                  env=env, timeout=HELPER_TIMEOUT)
    answer = query.stdout.decode(errors="replace")
    if f"0x{dpi:x}" not in answer.lower():
        raise h.HarnessError(f"the registry does not hold LogPixels {dpi}: {answer.strip()!r}")


def end_wine(env: dict[str, str]) -> None:
    """Ends what is left of the prefix's Wine: its wineserver and the services it started."""
    if Path(env["WINEPREFIX"]).exists():
        h.run(["wineserver", "-k"], env=env, timeout=h.TOOL_TIMEOUT, check=False)


@dataclass
class Control:
    """A control of a native window as Windows programs see it: its class, its rectangle in the
    window's client area (left, top, right, bottom; right and bottom exclusive) and its text."""
    kind: str
    rect: tuple[int, int, int, int]
    text: str


class WineProgram(h.RunningProgram):
    """Triebwerke.exe under Wine, started through wine-run.sh, and the person in front of it."""

    def __init__(self, wine_run: str, program: str, display: h.VirtualDisplay, lang: str,
                 env: dict[str, str], helper: Path, lifetime: float = 900):
        self.wine_run = wine_run
        self.helper = helper
        super().__init__(program, "", display, lang, lifetime=lifetime, extra_env=env,
                         wrapper=[wine_run])

    def stop(self) -> None:
        super().stop()
        end_wine(self.env)

    # -- screen -----------------------------------------------------------------------------------

    def screenshot(self, path: Path | None = None) -> h.Image:
        return self.grab(self.window, path)

    def grab(self, window: str, path: Path | None = None) -> h.Image:
        path = path or self.work_dir / "screen.png"
        run_grab(window, path, self.tool_env)
        return h.Image.read(path)

    def click_pixel(self, x: int, y: int) -> None:
        """Clicks a pixel of the client area as the screen shows it (no layout scaling)."""
        self.focus_main()
        self.xdotool("mousemove", "--window", self.window, str(x), str(y), "click", "1")

    def move_pointer_away(self) -> None:
        """Puts the pointer on the bare screen, so that no control is drawn hovered."""
        self.xdotool("mousemove", "1270", "790")

    # -- what only a Windows program sees ---------------------------------------------------------

    def _helper(self, *args: str) -> subprocess.CompletedProcess:
        return h.run([self.wine_run, str(self.helper), *args], env=self.env,
                     timeout=HELPER_TIMEOUT, check=False)

    def box_controls(self, title: str) -> list[Control]:
        """The controls of the visible top-level window with this title."""
        result = self._helper("controls", title)
        if result.returncode != 0:
            raise h.HarnessError(f"no visible window '{title}' for Windows programs "
                                 f"(helper ended with {result.returncode})")
        controls = []
        for line in result.stdout.decode("utf-8").split("\n"):
            if line:
                kind, place, text = line.split("\t", 2)
                left, top, right, bottom = map(int, place.split())
                controls.append(Control(kind, (left, top, right, bottom), text))
        return controls

    def windows_clipboard(self) -> str | None:
        """The clipboard's text (CF_UNICODETEXT) as a Windows program pastes it, or None."""
        result = self._helper("clipboard")
        if result.returncode == 2:
            return None
        if result.returncode != 0:
            raise h.HarnessError(f"the helper could not open the clipboard ({result.returncode})")
        return result.stdout.decode("utf-8")


# ------------------------------------------------------------------------------------------------
# Screenshots straight from the X server


def run_grab(window: str, path: Path, env: dict[str, str]) -> None:
    h.run([sys.executable, str(Path(__file__).resolve()), "grab", str(path), window], env=env)


class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong),
                ("blue_mask", ctypes.c_ulong)]


def _channel(word: int, mask: int) -> int:
    shift = (mask & -mask).bit_length() - 1
    value = (word & mask) >> shift
    top = mask >> shift
    return value * 255 // top if top else 0


def _libx11() -> ctypes.CDLL:
    # By its soname first: find_library asks ldconfig and the compiler, which takes longer than
    # the grab itself.
    try:
        return ctypes.CDLL("libX11.so.6")
    except OSError:
        return ctypes.CDLL(ctypes.util.find_library("X11"))


def grab_window(window: int) -> tuple[int, int, list[bytes]]:
    """The pixels of a mapped window as the screen shows them: RGB rows. Xvfb keeps no backing
    store, so whatever lies on top of the window is in the picture, as in a person's screenshot."""
    xlib = _libx11()
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XGetGeometry.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                  ctypes.POINTER(ctypes.c_ulong),
                                  ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int),
                                  ctypes.POINTER(ctypes.c_uint), ctypes.POINTER(ctypes.c_uint),
                                  ctypes.POINTER(ctypes.c_uint), ctypes.POINTER(ctypes.c_uint)]
    xlib.XGetImage.restype = ctypes.POINTER(_XImage)
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                               ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    xlib.XDestroyImage.argtypes = [ctypes.POINTER(_XImage)]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = xlib.XOpenDisplay(None)
    if not display:
        raise SystemExit("cannot open the display")
    root = ctypes.c_ulong()
    x, y = ctypes.c_int(), ctypes.c_int()
    width, height, border, depth = (ctypes.c_uint() for _ in range(4))
    if not xlib.XGetGeometry(display, window, ctypes.byref(root), ctypes.byref(x), ctypes.byref(y),
                             ctypes.byref(width), ctypes.byref(height), ctypes.byref(border),
                             ctypes.byref(depth)):
        raise SystemExit(f"no window {window:#x}")
    pointer = xlib.XGetImage(display, window, 0, 0, width.value, height.value,
                             0xFFFFFFFF, 2)  # AllPlanes, ZPixmap
    if not pointer:
        raise SystemExit(f"no picture of window {window:#x}")
    image = pointer.contents
    if image.bits_per_pixel != 32 or image.byte_order != 0:
        raise SystemExit(f"unexpected pixel format: {image.bits_per_pixel} bits, "
                         f"byte order {image.byte_order}")
    raw = ctypes.string_at(image.data, image.bytes_per_line * image.height)
    masks = (image.red_mask, image.green_mask, image.blue_mask)
    rows = []
    if masks == (0xFF0000, 0xFF00, 0xFF):
        for row in range(image.height):
            line = raw[row * image.bytes_per_line:row * image.bytes_per_line + 4 * image.width]
            pixels = bytearray(3 * image.width)
            pixels[0::3], pixels[1::3], pixels[2::3] = line[2::4], line[1::4], line[0::4]
            rows.append(bytes(pixels))
    else:
        for row in range(image.height):
            words = struct.unpack_from(f"<{image.width}I", raw, row * image.bytes_per_line)
            rows.append(bytes(_channel(word, mask) for word in words for mask in masks))
    result = (image.width, image.height, rows)
    xlib.XDestroyImage(pointer)
    xlib.XCloseDisplay(display)
    return result


def write_png(path: Path, width: int, height: int, rows: list[bytes]) -> None:
    def chunk(kind: bytes, body: bytes) -> bytes:
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + row for row in rows)
    Path(path).write_bytes(b"\x89PNG\r\n\x1a\n"
                           + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                           + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def main(argv: list[str]) -> int:
    if len(argv) == 4 and argv[1] == "grab":
        width, height, rows = grab_window(int(argv[3], 0))
        write_png(Path(argv[2]), width, height, rows)
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
