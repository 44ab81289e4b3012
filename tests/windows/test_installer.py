#!/usr/bin/env python3
"""Installs Triebwerke with its Windows installer in a fresh Wine prefix, as a user would, and
takes it away again.

The installer runs silently, twice (the second time as an update over the first); then the test
checks the installed files against the layout the installer was made from, the Start-menu
shortcut and the entry among the installed programs, runs the installed report tool and starts
the installed program under a virtual X display until its window shows, and closes it. Last, the
uninstaller runs silently as Windows runs it from the list of programs, and nothing of the
installation may be left. The portable zip, where it was built, must hold the same files.

Wine sees only the installed folder: no search path into the build machine's Qt or MinGW, so a
DLL the installer forgot fails here as it would on Windows.

Usage: test_installer.py BUILD_DIR [--installer SETUP.exe] [--keep]
"""
import argparse
import glob
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import zipfile

STARTED = time.monotonic()
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Triebwerke"
# Files the programs cannot do without, whatever else the layout holds.
REQUIRED = [
    "Triebwerke.exe", "triebwerke-report.exe", "Uninstall.exe", "qt.conf",
    "Qt6Core.dll", "Qt6Gui.dll", "Qt6Widgets.dll",
    "libstdc++-6.dll", "libgcc_s_seh-1.dll", "libwinpthread-1.dll",
    "platforms/qwindows.dll", "platforms/qoffscreen.dll",
    "translations/qtbase_de.qm", "fonts/DejaVuSans.ttf", "fonts/DejaVuSans-Bold.ttf",
    "licenses/Triebwerke.txt", "licenses/README.txt",
]


class Failure(Exception):
    pass


def say(message):
    print(f"[{time.monotonic() - STARTED:6.1f} s] {message}", flush=True)


class Session:
    """A private Wine prefix on a private X display, and the commands run in it."""

    def __init__(self, root):
        self.root = root
        self.prefix = os.path.join(root, "prefix")
        self.xvfb = None
        # None of the caller's Wine settings: no WINEPATH into the build's Qt and MinGW, no
        # other prefix, no WINEQT_ variables (the only way Qt's reach a Windows program).
        self.env = {key: value for key, value in os.environ.items()
                    if not key.startswith("WINE")}
        self.env.update({
            "WINEPREFIX": self.prefix,
            "WINEARCH": "win64",
            "WINEDEBUG": "-all",
            # No dialogs offering to download Mono or Gecko into the new prefix.
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
        })

    def windows_path(self, path):
        """The path a Windows program sees for a path of this machine: drive C: inside the
        prefix, Z: (the root) elsewhere."""
        path = os.path.realpath(path)
        drive_c = os.path.realpath(os.path.join(self.prefix, "drive_c"))
        if path == drive_c or path.startswith(drive_c + os.sep):
            return "C:" + (path[len(drive_c):] or "/").replace("/", "\\")
        return "Z:" + path.replace("/", "\\")

    def start_display(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
             "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 30
        while not number.endswith(b"\n"):
            remaining = deadline - time.monotonic()
            if remaining <= 0 or not select.select([read_end], [], [], remaining)[0]:
                raise Failure("Xvfb did not report its display within 30 s")
            chunk = os.read(read_end, 64)
            if not chunk:
                raise Failure("Xvfb ended before it reported its display")
            number += chunk
        os.close(read_end)
        self.env["DISPLAY"] = ":" + number.decode().strip()
        say(f"Xvfb on display {self.env['DISPLAY']}")

    def run(self, command, timeout, check=True, what=None):
        try:
            result = subprocess.run(command, env=self.env, cwd=self.root, timeout=timeout,
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        except subprocess.TimeoutExpired:
            raise Failure(f"{what or command[0]} did not finish within {timeout} s: "
                          f"{' '.join(command)}") from None
        result.out = result.stdout.decode("utf-8", "replace")
        result.err = result.stderr.decode("utf-8", "replace")
        if check and result.returncode != 0:
            raise Failure(f"{what or command[0]} failed with exit code {result.returncode}: "
                          f"{' '.join(command)}\n{result.out}{result.err}")
        return result

    def wine(self, arguments, timeout, check=True, what=None):
        return self.run(["wine"] + arguments, timeout, check, what)

    def wait_for_wine(self, timeout, what):
        """Waits until every process in the prefix has ended (the wineserver with them)."""
        self.run(["wineserver", "--wait"], timeout, check=False, what=what)

    def folders(self, *variables):
        """Folders of the Windows user, as paths on this machine."""
        shown = self.wine(["cmd", "/c", "echo", ";".join(f"%{name}%" for name in variables)],
                          60).out.strip()
        paths = []
        for name, value in zip(variables, shown.split(";")):
            if not re.match(r"^[Cc]:\\", value):
                raise Failure(f"%{name}% is {value!r}, not a folder on drive C:")
            paths.append(os.path.join(self.prefix, "drive_c", *value[3:].split("\\")))
        return paths

    def close(self):
        if os.path.isdir(self.prefix):
            subprocess.run(["wineserver", "--kill"], env=self.env, timeout=60,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if self.xvfb is not None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()


def files_below(folder):
    found = set()
    for directory, _, names in os.walk(folder):
        for name in names:
            found.add(os.path.relpath(os.path.join(directory, name), folder).replace(os.sep, "/"))
    return found


def check_installed(session, install_dir, shortcut, stage, version):
    if not os.path.isdir(install_dir):
        raise Failure(f"the installation folder {install_dir} is missing")
    installed = files_below(install_dir)
    missing = [name for name in REQUIRED if name not in installed]
    if missing:
        raise Failure(f"not installed: {', '.join(missing)}")
    if stage is not None:
        expected = files_below(stage) | {"Uninstall.exe"}
        if installed != expected:
            raise Failure("the installed files differ from the layout the installer was made "
                          f"from; missing: {sorted(expected - installed)}, "
                          f"extra: {sorted(installed - expected)}")
    if not os.path.isfile(shortcut):
        raise Failure(f"the Start-menu shortcut {shortcut} is missing")
    with open(shortcut, "rb") as link:
        target = link.read()
    if b"Triebwerke.exe" not in target and "Triebwerke.exe".encode("utf-16-le") not in target:
        raise Failure("the Start-menu shortcut does not point at Triebwerke.exe")
    entry = session.wine(["reg", "query", UNINSTALL_KEY], 60, check=False).out
    values = dict(re.findall(r"^\s+(\w+)\s+REG_\w+\s+(.*?)\s*$", entry, re.MULTILINE))
    if not values:
        raise Failure(f"no entry {UNINSTALL_KEY} among the installed programs")
    if values.get("DisplayVersion") != version:
        raise Failure(f"the entry's DisplayVersion is {values.get('DisplayVersion')!r}, "
                      f"not {version!r}")
    if "Uninstall.exe" not in values.get("UninstallString", ""):
        raise Failure(f"the entry has no UninstallString: {values}")
    say(f"installed: {len(installed)} files, the shortcut, the entry {values.get('DisplayName')} "
        f"{values.get('DisplayVersion')}")


def prefix_state(session):
    """Every file and folder on drive C: and every key of the user's registry, to tell what an
    installation left behind. Read once no Wine process runs, when Wine has saved the
    registry."""
    session.wait_for_wine(120, "Wine, to save the registry")
    drive_c = os.path.join(session.prefix, "drive_c")
    paths = set()
    for directory, folders, files in os.walk(drive_c):
        for name in folders + files:
            paths.add(os.path.relpath(os.path.join(directory, name), drive_c))
    with open(os.path.join(session.prefix, "user.reg"), encoding="utf-8",
              errors="replace") as registry:
        keys = {line.split("]")[0] + "]" for line in registry if line.startswith("[")}
    return paths, keys


def check_zip(build_dir, version, stage):
    """The portable zip holds the same layout as the installer, in one top folder."""
    path = os.path.join(build_dir, "dist", f"Triebwerke-{version}-windows-x86_64.zip")
    if not os.path.isfile(path) or stage is None:
        say("no portable zip beside the installer: not compared")
        return
    top = f"Triebwerke-{version}/"
    with zipfile.ZipFile(path) as archive:
        names = [name for name in archive.namelist() if not name.endswith("/")]
    outside = [name for name in names if not name.startswith(top)]
    if outside:
        raise Failure(f"{path} holds files outside {top}: {outside}")
    packed = {name[len(top):] for name in names}
    expected = files_below(stage)
    if packed != expected:
        raise Failure(f"{path} differs from the installer's layout; missing: "
                      f"{sorted(expected - packed)}, extra: {sorted(packed - expected)}")
    say(f"the portable zip holds the same {len(packed)} files")


def check_report_tool(session, install_dir, version):
    tool = session.windows_path(os.path.join(install_dir, "triebwerke-report.exe"))
    shown = session.wine([tool, "--version"], 120, what="triebwerke-report --version").out
    if version not in shown:
        raise Failure(f"triebwerke-report --version says {shown!r}, not version {version}")
    session.wine([tool, "--help"], 120, what="triebwerke-report --help")
    report = session.wine([tool, "--engines", "3", "--reliability", "0.9", "--runs", "1000",
                           "--seed", "1"], 120, what="triebwerke-report").out
    if len([line for line in report.splitlines() if line.strip()]) < 4:
        raise Failure(f"triebwerke-report printed too little:\n{report}")
    say(f"triebwerke-report: {len(report.splitlines())} lines of report")

    # The chart, drawn offscreen in the shipped DejaVu Sans; the same chart without any font
    # must come out different, or the text was never drawn in them.
    no_fonts = os.path.join(session.root, "no-fonts")
    os.makedirs(no_fonts, exist_ok=True)
    charts = []
    for name, font_dir in (("chart.png", None), ("chart-without-fonts.png", no_fonts)):
        path = os.path.join(session.root, name)
        # Wine hands Unix variables named QT_... to Windows programs only with WINE before them.
        if font_dir is not None:
            session.env["WINEQT_QPA_FONTDIR"] = session.windows_path(font_dir)
        try:
            result = session.wine([tool, "--engines", "3", "--reliability", "0.9", "--runs",
                                   "1000", "--seed", "1", "--plot", session.windows_path(path)],
                                  120, check=False, what="the chart")
        finally:
            session.env.pop("WINEQT_QPA_FONTDIR", None)
        if font_dir is None and result.returncode != 0:
            raise Failure(f"triebwerke-report --plot failed ({result.returncode}):\n"
                          f"{result.out}{result.err}")
        content = b""
        if os.path.isfile(path):
            with open(path, "rb") as chart:
                content = chart.read()
        charts.append(content)
    if not charts[0].startswith(b"\x89PNG\r\n\x1a\n"):
        raise Failure("triebwerke-report --plot wrote no PNG file")
    if charts[0] == charts[1]:
        raise Failure("the chart is the same without fonts: the shipped fonts were not used")
    say(f"triebwerke-report --plot: a PNG chart of {len(charts[0])} bytes with its texts")


def check_window(session, install_dir):
    program_path = session.windows_path(os.path.join(install_dir, "Triebwerke.exe"))
    program = subprocess.Popen(["wine", program_path], env=session.env, cwd=install_dir,
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    try:
        try:
            # xdotool matches titles without regard to case: "...von Raketentriebwerken".
            found = session.run(["xdotool", "search", "--sync", "--onlyvisible", "--name",
                                 "Triebwerke"], 180, what="waiting for the window")
        except Failure:
            if program.poll() is not None:
                raise Failure(f"Triebwerke.exe ended with exit code {program.returncode} before "
                              "its window showed:\n"
                              f"{program.stdout.read().decode('utf-8', 'replace')}") from None
            raise
        windows = found.out.split()
        title = session.run(["xdotool", "getwindowname", windows[0]], 30).out.strip()
        say(f"Triebwerke.exe shows its window {title!r}")
        # Closed as a user closes it: taskkill without /f sends the window WM_CLOSE.
        session.wine(["taskkill", "/im", "Triebwerke.exe"], 60, what="taskkill")
        try:
            code = program.wait(timeout=60)
        except subprocess.TimeoutExpired:
            raise Failure("Triebwerke.exe did not end within 60 s of its window being "
                          "closed") from None
        if code != 0:
            raise Failure(f"Triebwerke.exe ended with exit code {code} on closing:\n"
                          f"{program.stdout.read().decode('utf-8', 'replace')}")
        say("Triebwerke.exe closed, exit code 0")
    finally:
        if program.poll() is None:
            program.send_signal(signal.SIGKILL)
            program.wait(timeout=30)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build_dir", help="the Windows build tree, with dist/*-setup.exe")
    parser.add_argument("--installer", help="the installer, if not the one in BUILD_DIR/dist")
    parser.add_argument("--keep", action="store_true", help="keep the Wine prefix")
    arguments = parser.parse_args()

    for tool in ("wine", "wineboot", "wineserver", "Xvfb", "xdotool"):
        if shutil.which(tool) is None:
            raise Failure(f"{tool} is not installed")
    installer = arguments.installer
    if installer is None:
        found = sorted(glob.glob(os.path.join(arguments.build_dir, "dist",
                                              "Triebwerke-*-setup.exe")))
        if len(found) != 1:
            raise Failure(f"expected one installer in {arguments.build_dir}/dist, found "
                          f"{len(found)}; build the target windows-installer or name one with "
                          "--installer")
        installer = found[0]
    match = re.match(r"Triebwerke-(.+)-setup\.exe$", os.path.basename(installer))
    if not match:
        raise Failure(f"{installer} is not named Triebwerke-VERSION-setup.exe")
    version = match.group(1)
    stage = os.path.join(arguments.build_dir, "packaging", "windows", "stage",
                         f"Triebwerke-{version}")
    stage = stage if os.path.isdir(stage) else None

    check_zip(arguments.build_dir, version, stage)

    root = tempfile.mkdtemp(prefix="triebwerke-installer-")
    session = Session(root)
    try:
        session.start_display()
        session.run(["wineboot", "--init"], 300, what="wineboot")
        session.wait_for_wine(120, "the new prefix")
        say(f"a fresh Wine prefix in {session.prefix}")

        local, roaming = session.folders("LOCALAPPDATA", "APPDATA")
        install_dir = os.path.join(local, "Programs", "Triebwerke")
        shortcut = os.path.join(roaming, "Microsoft", "Windows", "Start Menu", "Programs",
                                "Triebwerke.lnk")

        files_before, keys_before = prefix_state(session)
        for attempt in ("installing", "installing again, over the first installation"):
            say(f"{attempt}: {os.path.basename(installer)} /S")
            session.wine([session.windows_path(installer), "/S"], 300, what="the installer")
            session.wait_for_wine(120, "the installer")
            check_installed(session, install_dir, shortcut, stage, version)

        check_report_tool(session, install_dir, version)
        check_window(session, install_dir)
        session.wait_for_wine(120, "the program")

        # As Windows runs it: the uninstaller copies itself to the temporary folder, starts the
        # copy and returns at once, so the test waits for every process in the prefix to end.
        say("uninstalling: Uninstall.exe /S")
        uninstaller = session.windows_path(os.path.join(install_dir, "Uninstall.exe"))
        session.wine([uninstaller, "/S"], 120, what="the uninstaller")
        session.wait_for_wine(180, "the uninstaller")
        files_after, keys_after = prefix_state(session)
        left = []
        if os.path.exists(install_dir):
            left.append(f"the folder {install_dir} ({sorted(files_below(install_dir))})")
        if os.path.exists(shortcut):
            left.append(f"the shortcut {shortcut}")
        if session.wine(["reg", "query", UNINSTALL_KEY], 60, check=False).returncode == 0:
            left.append(f"the registry key {UNINSTALL_KEY}")
        # NSIS's uninstaller runs from a copy in a folder of its own in %TEMP%, which Windows
        # deletes at the next start.
        new_files = sorted(path for path in files_after - files_before
                           if not re.search(r"(^|/)Temp/~nsu[^/]*\.tmp(/|$)", path))
        if new_files:
            left.append(f"on drive C: {new_files}")
        if keys_after - keys_before:
            left.append(f"in the registry {sorted(keys_after - keys_before)}")
        if left:
            raise Failure("the uninstaller left behind: " + "; ".join(left))
        say(f"uninstalled: drive C: and the user's registry as before the installation "
            f"({len(files_after)} files and folders, {len(keys_after)} keys)")
    finally:
        session.close()
        if arguments.keep:
            say(f"kept {root}")
        else:
            shutil.rmtree(root, ignore_errors=True)
    say("the installer installs, runs and uninstalls cleanly")


if __name__ == "__main__":
    try:
        main()
    except Failure as failure:
        say(f"FAILED: {failure}")
        sys.exit(1)
