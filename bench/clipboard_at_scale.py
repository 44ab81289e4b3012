#!/usr/bin/env python3
"""Measures "ins Clipboard" for very many engines, as a user meets it: the time from the click to
the confirmation box, the program's peak memory, and the text another program reads from the
clipboard (xclip), compared byte for byte with the report tool's report of the same inputs.

The reliability 1 makes every run end without a failure, so the report does not depend on the
clock that seeds the window's simulation and the tool can give the expected text.

Usage: clipboard_at_scale.py TRIEBWERKE SCREEN-GRAB TRIEBWERKE-REPORT [ENGINES ...]
"""

import subprocess
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e"))
import e2e_harness as h  # noqa: E402

RUNS = "10"


def peak_kib(pid: int) -> int:
    """The peak resident memory of the program, which the harness runs under timeout."""
    children = Path(f"/proc/{pid}/task/{pid}/children").read_text().split()
    if children:
        pid = int(children[0])
    for line in Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmHWM:"):
            return int(line.split()[1])
    return 0


def measure(program: str, screen_grab: str, tool: str, engines: int) -> None:
    expected = subprocess.run([tool, "--engines", str(engines), "--reliability", "1", "--runs",
                               RUNS, "--seed", "0"], capture_output=True, check=True,
                              env={"LANG": "de_DE.UTF-8", "PATH": "/usr/bin:/bin"}).stdout
    expected = expected.replace(b"\n", b"\r\n")
    with h.VirtualDisplay(dpi=96) as display:
        app = h.RunningProgram(program, screen_grab, display, "de_DE.UTF-8", lifetime=1800)
        try:
            app.enter_field(h.ANZAHL, str(engines))
            app.enter_field(h.ZUVERLAESSIGKEIT, "1")
            app.enter_field(h.DURCHLAEUFE, RUNS)
            before = peak_kib(app.process.pid)
            start = time.monotonic()
            app.click(h.INS_CLIPBOARD)
            box = app.wait_for_box(h.INFO_TITLE, timeout=1200)
            to_box = time.monotonic() - start
            peak = peak_kib(app.process.pid)
            start = time.monotonic()
            read = subprocess.run(["xclip", "-o", "-selection", "clipboard", "-t", "UTF8_STRING"],
                                  capture_output=True, env=app.tool_env, timeout=1200).stdout
            to_read = time.monotonic() - start
            peak = max(peak, peak_kib(app.process.pid))
            app.close_box(box, "Return")
            same = "byte for byte the report" if read == expected else (
                f"DIFFERENT ({len(read)} bytes read, {len(expected)} expected)")
            print(f"{engines:>11,} engines: {len(read) / 2**20:8.1f} MiB of text, click to box "
                  f"{to_box:6.2f} s, xclip read {to_read:6.2f} s, peak memory "
                  f"{peak / 1024:7.0f} MiB (before the click {before / 1024:.0f} MiB); {same}",
                  flush=True)
        finally:
            app.stop()
            app.remove_files()


def main() -> int:
    program, screen_grab, tool = (str(Path(p).resolve()) for p in sys.argv[1:4])
    counts = sys.argv[4:]
    for engines in [int(c) for c in counts] or [1_000_000, 10_000_000]:
        measure(program, screen_grab, tool, engines)
    return 0


if __name__ == "__main__":
    sys.exit(main())
