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


def release_mark() -> str | None:
    """What a package built here adds to the program's version: nothing on Debian 12, whose
    build installs on 12 and 13 alike; "+deb13u1" on 13, whose build needs 13's libraries."""
    fields = {}
    with open("/etc/os-release", encoding="utf-8") as release:
        for line in release:
            name, _, value = line.strip().partition("=")
            fields[name] = value.strip('"')
    if fields.get("ID") == "debian":
        return "" if fields.get("VERSION_ID") == "12" else f"+deb{fields.get('VERSION_ID')}u1"
    return None


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, timeout=240, **kwargs)


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cpack-config", required=True)
    parser.add_argument("--version", required=True, help="the program's version")
    parser.add_argument("--package-version", required=True,
                        help="the package's: the program's, with the release it is built for")
    parser.add_argument("--appstream-id", required=True)
    parser.add_argument("--built-tool", required=True)
    parser.add_argument("--release-day", required=True)
    options = parser.parse_args()
    problems = []
    mark = release_mark()
    if mark is not None and options.package_version != options.version + mark:
        problems.append(f"package version {options.package_version!r} on this release, "
                        f"not {options.version + mark!r}")

    with tempfile.TemporaryDirectory() as work:
        built = run(["cpack", "--config", options.cpack_config, "-B", work])
        architecture = run(["dpkg", "--print-architecture"]).stdout.strip()
        package = os.path.join(work, f"triebwerke_{options.package_version}_{architecture}.deb")
        if built.returncode != 0 or not os.path.exists(package):
            print(f"FAIL cpack: {built.stdout}{built.stderr}")
            print("packages:", glob.glob(os.path.join(work, "*.deb")))
            return 1

        listing = run(["dpkg-deb", "--contents", package]).stdout
        files = {line.split()[-1].removeprefix(".") for line in listing.splitlines()}
        expected = {"/usr/bin/Triebwerke", "/usr/bin/triebwerke-report",
                    "/usr/share/applications/triebwerke.desktop",
                    "/usr/share/man/man1/triebwerke-report.1.gz",
                    "/usr/share/man/man1/Triebwerke.1.gz",
                    "/usr/share/doc/triebwerke/copyright",
                    "/usr/share/doc/triebwerke/changelog.gz",
                    "/usr/share/icons/hicolor/scalable/apps/triebwerke.svg",
                    f"/usr/share/metainfo/{options.appstream_id}.metainfo.xml"}
        expected |= {f"/usr/share/icons/hicolor/{size}x{size}/apps/triebwerke.png"
                     for size in (16, 24, 32, 48, 64, 128, 256)}
        for missing in sorted(expected - files):
            problems.append(f"the package lacks {missing}")
        regular = {f for f in files if not f.endswith("/")}
        for extra in sorted(regular - expected):
            problems.append(f"the package holds {extra}, which no one asked for")

        fields = {name: run(["dpkg-deb", "--field", package, name]).stdout.strip()
                  for name in ("Package", "Version", "Architecture", "Depends", "Recommends")}
        if (fields["Package"], fields["Version"], fields["Architecture"]) != (
                "triebwerke", options.package_version, architecture):
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

        for page, name in (("triebwerke-report.1.gz", "triebwerke-report"),
                           ("Triebwerke.1.gz", "Triebwerke")):
            man = run(["man", "--warnings", "-l", os.path.join(root, "usr/share/man/man1", page)],
                      env=dict(os.environ, LANG="C.UTF-8", MANWIDTH="80"))
            if man.returncode != 0 or man.stderr or name not in man.stdout:
                problems.append(f"the installed manual page {page}: {man.stderr}")

        # The changelog names this version on the release day the build was given.
        changelog = os.path.join(root, "usr/share/doc/triebwerke/changelog.gz")
        for field, wanted in (("Version", options.package_version),
                              ("Date", options.release_day)):
            found = run(["dpkg-parsechangelog", "-l", changelog, "-S", field]).stdout.strip()
            if field == "Date":
                found = run(["date", "-u", "-d", found, "+%Y-%m-%d"]).stdout.strip()
            if found != wanted:
                problems.append(f"the changelog's {field} is {found!r}, not {wanted!r}")

        # Debian's own check of a package: no error and no warning may remain. Its notes
        # (info, pedantic) are shown, since they may still be worth a look.
        lintian = run(["lintian", "--fail-on", "error,warning", "--display-info", "--pedantic", package])
        if lintian.returncode != 0:
            problems.append(f"lintian:\n{lintian.stdout}{lintian.stderr}")
        elif lintian.stdout.strip():
            print(f"lintian's notes:\n{lintian.stdout}")

    for problem in problems:
        print("FAIL", problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
