#!/usr/bin/env python3
"""Builds the Debian package with CPack from a build tree, then checks it as a user would meet
it: its name, its file list, its dependencies, its metainfo, and the tool run from an unpacked
copy, which has to print what the build tree's tool prints.
"""

import argparse
import glob
import os
import subprocess
import sys
import tempfile

REPORT = ["--engines", "9", "--reliability", "0,999", "--runs", "1000", "--seed", "1"]


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, timeout=240, **kwargs)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cpack-config", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--appstream-id", required=True)
    parser.add_argument("--built-tool", required=True)
    options = parser.parse_args()
    problems = []

    with tempfile.TemporaryDirectory() as work:
        built = run(["cpack", "--config", options.cpack_config, "-B", work])
        architecture = run(["dpkg", "--print-architecture"]).stdout.strip()
        package = os.path.join(work, f"triebwerke_{options.version}_{architecture}.deb")
        if built.returncode != 0 or not os.path.exists(package):
            print(f"FAIL cpack: {built.stdout}{built.stderr}")
            print("packages:", glob.glob(os.path.join(work, "*.deb")))
            return 1

        listing = run(["dpkg-deb", "--contents", package]).stdout
        files = {line.split()[-1].removeprefix(".") for line in listing.splitlines()}
        expected = {"/usr/bin/Triebwerke", "/usr/bin/triebwerke-report",
                    "/usr/share/applications/triebwerke.desktop",
                    "/usr/share/man/man1/triebwerke-report.1.gz",
                    f"/usr/share/metainfo/{options.appstream_id}.metainfo.xml"}
        expected |= {f"/usr/share/icons/hicolor/{size}x{size}/apps/triebwerke.png"
                     for size in (16, 24, 32, 48, 256)}
        for missing in sorted(expected - files):
            problems.append(f"the package lacks {missing}")
        regular = {f for f in files if not f.endswith("/")}
        for extra in sorted(regular - expected):
            problems.append(f"the package holds {extra}, which no one asked for")

        fields = {name: run(["dpkg-deb", "--field", package, name]).stdout.strip()
                  for name in ("Package", "Version", "Architecture", "Depends", "Recommends")}
        if (fields["Package"], fields["Version"], fields["Architecture"]) != (
                "triebwerke", options.version, architecture):
            problems.append(f"control fields {fields}")
        # The layout is drawn in Tahoma; a Wayland desktop runs the program natively.
        for library in ("libc6", "libstdc++6", "libqt6core6", "libqt6gui6", "libqt6widgets6",
                        "libwayland-client0", "fonts-wine"):
            if library not in fields["Depends"]:
                problems.append(f"Depends lacks {library}: {fields['Depends']}")
        if "qt6-wayland" not in fields["Recommends"]:
            problems.append(f"Recommends lacks qt6-wayland: {fields['Recommends']}")
        if "asan" in fields["Depends"] or "ubsan" in fields["Depends"]:
            problems.append(f"Depends names a sanitizer runtime: {fields['Depends']}")

        root = os.path.join(work, "root")
        run(["dpkg-deb", "--extract", package, root])
        tool = os.path.join(root, "usr/bin/triebwerke-report")
        env = dict(os.environ, LANG="de_DE.UTF-8", LC_ALL="")
        version = run([tool, "--version"], env=env)
        if version.stdout != f"triebwerke-report {options.version}\n" or version.returncode:
            problems.append(f"--version of the unpacked tool: {version.stdout!r}")
        unpacked = run([tool, *REPORT], env=env)
        reference = run([options.built_tool, *REPORT], env=env)
        if unpacked.returncode != 0 or unpacked.stdout != reference.stdout:
            problems.append(f"the unpacked tool prints {unpacked.stdout[:200]!r}, the built one "
                            f"{reference.stdout[:200]!r}")

        metainfo = os.path.join(root, f"usr/share/metainfo/{options.appstream_id}.metainfo.xml")
        validated = run(["appstreamcli", "validate", "--no-net", metainfo])
        if validated.returncode != 0:
            problems.append(f"appstreamcli: {validated.stdout}{validated.stderr}")

        man = run(["man", "--warnings", "-l",
                   os.path.join(root, "usr/share/man/man1/triebwerke-report.1.gz")],
                  env=dict(os.environ, LANG="C.UTF-8", MANWIDTH="80"))
        if man.returncode != 0 or man.stderr or "triebwerke-report" not in man.stdout:
            problems.append(f"the installed manual page: {man.stderr}")

    for problem in problems:
        print("FAIL", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
