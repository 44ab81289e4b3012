#!/usr/bin/env bash
# Runs a program of the Windows build under Wine, as the build's and the tests' emulator: quiet,
# in a private Wine prefix of the build tree's own (made on first use), with Qt's and MinGW's
# DLLs on the search path. Usage: wine-run.sh PROGRAM.exe [ARGUMENTS...]
set -euo pipefail
here=$(cd "$(dirname "$(readlink -f "$0")")" && pwd)
qt=${TRIEBWERKE_WINDOWS_QT:-$("$here/build-windows-qt.sh" --print-prefix)}
export WINEPREFIX=${WINEPREFIX:-${TRIEBWERKE_WINE_PREFIX:-$HOME/.cache/triebwerke/wine-prefix}}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

windows_path() { echo "Z:${1//\//\\}"; }
gcc_runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
search=("$qt/bin" "$gcc_runtime" /usr/x86_64-w64-mingw32/lib)
path=""
for folder in "${search[@]}"; do
    path+="${path:+;}$(windows_path "$folder")"
done
export WINEPATH="$path${WINEPATH:+;$WINEPATH}"

# Wine hands a Windows program none of the Unix side's QT_ variables, only WINEQT_ ones, renamed
# to QT_: the tests' offscreen platform and logging rules travel that way.
while IFS='=' read -r name value; do
    [[ "$name" == QT_* ]] && export "WINE$name=$value"
done < <(env)

# Without fontconfig the offscreen platform reads the fonts of one folder: the build tree's
# programs and tests draw their charts in Debian's DejaVu Sans (an installed copy has its own).
export WINEQT_QPA_FONTDIR=${WINEQT_QPA_FONTDIR:-Z:/usr/share/fonts/truetype/dejavu}

# The first program in a new prefix makes it (half a minute); parallel tests wait for that once.
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
            wineboot --init >/dev/null 2>&1 || true
            wineserver --wait || true
            # Debian's Wine keeps its own fonts (Tahoma among them) outside the prefix, where
            # Windows programs do not find them by name; on Windows Tahoma is a system font.
            if compgen -G "/usr/share/wine/fonts/*.ttf" >/dev/null; then
                cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
            fi
        fi
    ) 9>"$WINEPREFIX.lock"
fi
exec wine "$@"
