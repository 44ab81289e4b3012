#!/usr/bin/env python3
"""End-to-end test with the screen reader blind users run: Debian's Orca, in German, reads the
program while it is used with the keyboard alone, and what Orca says is taken from its debug log.

Usage: test_screen_reader_e2e.py PATH-TO-Triebwerke PATH-TO-screen-grab --group NAME

Orca, the program and this script share one session bus: run it with Debian's python3 under
dbus-run-session. Needs orca, speech-dispatcher, openbox, at-spi2-core and the de_DE locale's
sources (locales); a German locale is made with localedef where the machine has none. Nothing
is heard: speech-dispatcher speaks into ALSA's null device.
The last line says "N passed, M failed"; the exit code is 1 when a case failed.
"""

from __future__ import annotations

import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import tty
from dataclasses import dataclass
from pathlib import Path
from typing import Callable

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))

import e2e_harness as h  # noqa: E402
from test_triebwerke_e2e import COMMA  # noqa: E402

# How long Orca may take to say what a key press brought: it asks the program for everything it
# speaks, one question at a time, and the sanitizer build answers slowly.
SPEECH_TIMEOUT = 90

# An utterance in Orca's debug log: "SPEECH OUTPUT: 'text'" and the voice. Orca 43 writes the
# voice of what it says right after the quote ("'text'{" or "'text' voice=name{") and the voice of
# the echo of a key after a space ("'Tab ' {"); Orca 48 writes a space before every voice. Both
# write KEY_ECHO just before they echo a key, and the next utterance is that echo.
UTTERANCE = re.compile(r"SPEECH OUTPUT: '(?P<text>.*?)'(?P<tail>(?: voice=\w+)?\{| \{)?")
KEY_ECHO = "DEFAULT: Presenting keyboard event"

NUMBER = r"\d+(?:,\d+)?"


class Speech:
    """What Orca says, read from its debug log as it is written.

    Orca writes the log through Python's file buffer, which holds back the last lines of a file
    until kilobytes more have come, but writes a line at a time to a terminal. So the log goes to
    a pseudo-terminal of ours, and a thread copies what comes out of it into a file."""

    def __init__(self, path: Path):
        self.path = path
        path.touch()
        self._master, self._slave = os.openpty()
        tty.setraw(self._slave)
        self.terminal = os.ttyname(self._slave)
        self._thread = threading.Thread(target=self._copy, daemon=True)
        self._thread.start()

    def _copy(self) -> None:
        with open(self.path, "ab") as out:
            while True:
                try:
                    data = os.read(self._master, 65536)
                except OSError:
                    return
                if not data:
                    return
                out.write(data)
                out.flush()

    def close(self) -> None:
        os.close(self._slave)
        os.close(self._master)
        self._thread.join(5)

    def log(self) -> str:
        return self.path.read_text(encoding="utf-8", errors="replace")

    def utterances(self) -> list[str]:
        """Everything Orca has said so far, in order, without its echo of the keys pressed."""
        said = []
        # Whether a space before the voice marks an echo, as in Orca 43: told by Orca's first
        # utterance, its greeting, which never is one.
        spaced_echo = None
        echo_next = False
        # The last line may be half written.
        for line in self.log().split("\n")[:-1]:
            if KEY_ECHO in line:
                echo_next = True
                continue
            position = line.find("SPEECH OUTPUT: ")
            if position < 0:
                continue
            match = UTTERANCE.match(line, position)
            tail = match["tail"] if match else None
            if spaced_echo is None:
                spaced_echo = tail is not None and tail != " {"
            echo = echo_next or (spaced_echo and tail == " {")
            echo_next = False
            if echo:
                continue
            said.append(match["text"] if tail is not None else line[position:])
        return said


class SpeakingDesktop:
    """A blind user's desktop on a virtual display: the accessibility bus, a window manager,
    speech-dispatcher speaking into a null sound device, and Orca in German.

    Everything runs with a private home (speech-dispatcher's configuration, ALSA's null device,
    Orca's settings) and a private runtime folder. Orca refuses to start beside another Orca of
    the same user; run as root, it gets a process namespace of its own, so that a reader the
    person at the machine runs does not stop the test."""

    def __init__(self, display: h.VirtualDisplay, work_dir: Path):
        missing = [tool for tool in ("orca", "speech-dispatcher", "openbox", "localedef")
                   if shutil.which(tool) is None]
        if missing:
            raise h.HarnessError(f"not installed: {', '.join(missing)}")
        self.work_dir = work_dir
        home = work_dir / "home"
        config = home / ".config" / "speech-dispatcher"
        config.mkdir(parents=True)
        system_config = Path("/etc/speech-dispatcher/speechd.conf").read_text(encoding="utf-8")
        (config / "speechd.conf").write_text(system_config + '\nAudioOutputMethod "alsa"\n',
                                             encoding="utf-8")
        (home / ".asoundrc").write_text("pcm.!default { type null }\n", encoding="utf-8")
        runtime = work_dir / "runtime"
        runtime.mkdir(mode=0o700)
        prefs = work_dir / "orca"
        prefs.mkdir()
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": str(home),
            "DISPLAY": display.name,
            "LANG": COMMA,
            "XDG_RUNTIME_DIR": str(runtime),
            "DBUS_SESSION_BUS_ADDRESS": os.environ["DBUS_SESSION_BUS_ADDRESS"],
        }
        self.env.update(german_locale(work_dir))
        self.processes: list[subprocess.Popen] = []
        self.speech = Speech(work_dir / "orca.log")
        try:
            self._start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], "at-spi")
            self._start(["openbox"], "openbox")
            self._start(["speech-dispatcher", "--run-single", "--timeout", "0"],
                        "speech-dispatcher")
            h.wait_until(lambda: (runtime / "speech-dispatcher" / "speechd.sock").exists(),
                         h.START_TIMEOUT, "speech-dispatcher's socket")
            alone = (["unshare", "--pid", "--fork", "--kill-child", "--mount-proc"]
                     if os.geteuid() == 0 and shutil.which("unshare") else [])
            self._start([*alone, "orca", "--disable", "braille", "--user-prefs", str(prefs),
                         "--debug-file", self.speech.terminal], "orca")
            # Orca says that it is on once it listens to the desktop.
            self.wait_for(0, lambda said: said, "Orca to start")
        except BaseException:
            self.stop()
            raise

    def _start(self, args: list[str], name: str) -> None:
        log = open(self.work_dir / f"{name}.log", "wb")
        self.processes.append(h.start_long_lived(args, 900, env=self.env, cwd=self.work_dir,
                                                 stdin=subprocess.DEVNULL, stdout=log,
                                                 stderr=subprocess.STDOUT))
        log.close()

    def said(self) -> list[str]:
        return self.speech.utterances()

    def wait_for(self, start: int, condition: Callable[[list[str]], object],
                 what: str) -> list[str]:
        """Waits until what Orca has said since utterance `start` meets the condition; returns
        it."""
        def heard():
            for process in self.processes:
                if process.poll() is not None:
                    raise h.HarnessError(f"{process.args} ended with {process.returncode}")
            said = self.said()[start:]
            return said if condition(said) else None
        try:
            return h.wait_until(heard, SPEECH_TIMEOUT, what, interval=0.1)
        except h.HarnessError as error:
            raise h.HarnessError(f"{error}; Orca said {self.said()[start:]}") from error

    def stop(self) -> None:
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(20)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        self.processes.clear()
        self.speech.close()


def german_locale(work_dir: Path) -> dict[str, str]:
    """Orca speaks German only where the C library has a German locale; where the machine has
    none, one is made into a private folder (LOCPATH)."""
    known = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout.split()
    if any(name.lower().replace("-", "") == "de_de.utf8" for name in known):
        return {}
    folder = work_dir / "locale"
    folder.mkdir()
    # localedef ends with 1 where it merely warns; the locale is there all the same.
    made = h.run(["localedef", "-i", "de_DE", "-f", "UTF-8", str(folder / COMMA)], timeout=120,
                 check=False)
    if not (folder / COMMA / "LC_CTYPE").exists():
        raise h.HarnessError("localedef made no German locale: "
                             + made.stderr.decode(errors="replace"))
    return {"LOCPATH": str(folder)}


# ------------------------------------------------------------------------------------------------
# What is said


def starting_with(said: list[str], prefix: str) -> int:
    """The index of the first utterance that starts with prefix, -1 if none does."""
    return next((i for i, text in enumerate(said) if text.startswith(prefix)), -1)


def read_with_caption(caption: str) -> Callable[[list[str]], bool]:
    """Orca has said a field's caption and something after it."""
    def done(said: list[str]) -> bool:
        label = starting_with(said, caption)
        return 0 <= label < len(said) - 1
    return done


def check_field(said: list[str], caption: str, value: str) -> None:
    """The caption comes first, then the whole value, once: "Ausfallwahrscheinlichkeit: Text.",
    "0,999 ausgewählt."."""
    label = starting_with(said, caption)
    assert label >= 0, f"the caption {caption!r} was not said: {said}"
    before = [text for text in said[:label] if re.match(NUMBER, text)]
    assert not before, f"a value was said before the caption {caption!r}: {said}"
    values = [text for text in said[label + 1:] if re.match(NUMBER, text)]
    assert values and values[0].split()[0].rstrip(".") == value, \
        f"after {caption!r} Orca said {values[:1]}, not the whole value {value!r}: {said}"
    assert len(values) == 1, f"the value of {caption!r} was said {len(values)} times: {said}"


@dataclass
class Step:
    """Keys pressed, and the utterance after which Orca has said all it says about them."""
    keys: tuple[str, ...]
    done: Callable[[list[str]], bool]
    what: str


def press(desktop: SpeakingDesktop, app: h.RunningProgram, step: Step) -> list[str]:
    start = len(desktop.said())
    app.key(*step.keys)
    return desktop.wait_for(start, step.done, step.what)


def said_any(pattern: str) -> Callable[[list[str]], bool]:
    return lambda said: any(re.fullmatch(pattern, text) for text in said)


def first_match(said: list[str], pattern: str) -> re.Match | None:
    return next((m for m in (re.fullmatch(pattern, text) for text in said) if m), None)


# ------------------------------------------------------------------------------------------------
# The case


def orca_reads_the_window(display: h.VirtualDisplay, program: str, screen_grab: str) -> None:
    """Keyboard only, from the start: each field is read with its caption and its whole value;
    Tab goes through the fields and buttons in the window's order, "Simulieren" between the
    reliability and the run count; after "Simulieren" the new table is told; in the table Right
    names the column and Down reads the row and tells the current cell's column and row; the
    confirmation box of "ins Clipboard" is read."""
    work_dir = Path(tempfile.mkdtemp(prefix="triebwerke-orca-"))
    desktop = SpeakingDesktop(display, work_dir)
    app = None
    try:
        start = len(desktop.said())
        app = h.RunningProgram(program, screen_grab, display, COMMA, extra_env={
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "DBUS_SESSION_BUS_ADDRESS": os.environ["DBUS_SESSION_BUS_ADDRESS"]})
        said = desktop.wait_for(start, read_with_caption("Anzahl Triebwerke:"),
                                "the first field at start")
        check_field(said, "Anzahl Triebwerke:", "9")

        said = press(desktop, app, Step(("Tab",), read_with_caption("Ausfallwahrscheinlichkeit:"),
                                        "the reliability field after Tab"))
        check_field(said, "Ausfallwahrscheinlichkeit:", "0,999")

        press(desktop, app, Step(("Tab",), said_any(r"Simulieren.*"), "Simulieren after Tab"))
        said = press(desktop, app, Step(("space",), said_any(r".*Ergebnis: .*"),
                                        "word of the table after Simulieren"))
        told = [text for text in said if "Ergebnis: " in text]
        # Orca 43 says Qt 6.4's notice as a sentence; Orca 48 says Qt 6.8's announcement as sent.
        assert re.search(r"Ergebnis: 10 Zeilen, 5 Spalten\.?$", told[0]), \
            f"after Simulieren: {said}"

        said = press(desktop, app, Step(("Tab",), read_with_caption("Simulationsdurchläufe:"),
                                        "the run-count field after Tab"))
        check_field(said, "Simulationsdurchläufe:", "1000000")

        press(desktop, app, Step(("Tab",), said_any(r"ins Clipboard.*"),
                                 "ins Clipboard after Tab"))

        # Entering the table reads its name, size and first row, and the cell's column.
        logged = len(desktop.speech.log())
        said = press(desktop, app, Step(
            ("Tab",), said_any(r"Ausgefallene Triebwerke 0 Triebwerke\.?"), "the table"))
        if "Ergebnis." not in said:
            # Orca 48 works out the name and size of the table a cell enters (its "new
            # ancestors"), then drops them from what it says of the cell; its log shows them.
            context = re.findall(r"_generate_new_ancestors: \[\[(.*)",
                                 desktop.speech.log()[logged:])
            assert any(re.match(r"Ergebnis\b.*\b10 Zeilen\b", line) for line in context), \
                f"the table's name was not said: {said}; Orca's context: {context}"
        else:
            assert any("10 Zeilen" in text for text in said), f"the table's size: {said}"

        # Right names the column it moves into, and nothing more.
        said = press(desktop, app, Step(
            ("Right",), said_any(rf"Wahrscheinlichkeit .*{NUMBER}\.?"), "Right in the table"))
        assert first_match(said, rf"Wahrscheinlichkeit Spaltenkopf {NUMBER}\.?"), f"Right: {said}"

        # Down reads the row of one failed engine, and the cell under its header in that row.
        said = press(desktop, app, Step(
            ("Down",), said_any(rf"Wahrscheinlichkeit {NUMBER}, 1 Triebwerke\.?"),
            "Down in the table"))
        row = starting_with(said, "1 Triebwerke")
        assert 0 <= row < len(said) - 1, f"Down did not read the row of 1 failed engine: {said}"
        cell = first_match(said, rf"Wahrscheinlichkeit ({NUMBER}), 1 Triebwerke\.?")
        # The row's first value is its probability. Orca 48 tells the description of the row's
        # name cell ("nicht ausgewählt Ausgefallene Triebwerke 1 Triebwerke.") before it.
        values = [text for text in said[row + 1:] if re.match(NUMBER, text)]
        assert cell and values and values[0].rstrip(".") == cell[1], \
            f"the cell told is not the row's probability: {said}"

        press(desktop, app, Step(("shift+Tab",), said_any(r"ins Clipboard.*"),
                                 "ins Clipboard after Shift+Tab"))
        said = press(desktop, app, Step(("Return",), said_any(r"OK.*"),
                                        "the confirmation box"))
        box = [text for text in said if not text.startswith("Text ist")]
        assert any("Informationen" in text for text in box), f"the box's title: {said}"
        told = starting_with(box, "Ergebnis in die Zwischenablage kopiert")
        assert 0 <= told < starting_with(box, "OK"), f"the box's text, then its button: {said}"
        boxes = app.visible_windows(h.INFO_TITLE)
        assert boxes, "no confirmation box is shown"
        app.close_box(boxes[0], "Return")
    finally:
        if app is not None:
            app.stop()
            app.remove_files()
        desktop.stop()
    shutil.rmtree(work_dir, ignore_errors=True)


# ------------------------------------------------------------------------------------------------




GROUPS = [h.DisplayGroup("orca_speech", orca_reads_the_window)]


def main() -> int:
    return h.run_display_groups(__doc__.splitlines()[0], GROUPS)


if __name__ == "__main__":
    sys.exit(main())
