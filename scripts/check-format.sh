#!/usr/bin/env bash
# Fails, naming the files, when a tracked C++ file differs from what the project's .clang-format
# makes of it. Mend with: clang-format -i FILE...
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."

mapfile -t files < <(git ls-files '*.cpp' '*.h')
[[ ${#files[@]} -eq 0 ]] && exit 0
unformatted=()
for file in "${files[@]}"; do
    clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
if [[ ${#unformatted[@]} -gt 0 ]]; then
    echo "Not formatted with the project's .clang-format:" >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    echo "Mend with: clang-format -i ${unformatted[*]}" >&2
    exit 1
fi
