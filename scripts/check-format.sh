#!/usr/bin/env bash
# Fails, naming the files, when a tracked C++ file differs from what the project's .clang-format
# makes of it. Mend with: clang-format -i FILE...
# Debian 12 ships clang-format 14, Debian 13 clang-format 19. Their options mean the same for our
# .clang-format, but 19 lays out a few constructs differently (a lambda passed as the last
# argument that would fit on the call's line); the tree is kept in the form both agree on, so
# the verdict is the same on both releases. Where they disagree on new code, write it so that
# they agree (name the lambda first) rather than pleasing one of them.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."

mapfile -t files < <(git ls-files '*.cpp' '*.h')
[[ ${#files[@]} -eq 0 ]] && exit 0
unformatted=()
for file in "${files[@]}"; do
    clang-format --dry-run -Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
if [[ ${#unformatted[@]} -gt 0 ]]; then
    echo "Not formatted with the project's .clang-format ($(clang-format --version)):" >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    echo "Mend with: clang-format -i ${unformatted[*]}" >&2
    exit 1
fi
