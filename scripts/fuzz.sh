#!/usr/bin/env bash
# Runs every fuzz target of build/fuzz for a bounded time (FUZZ_SECONDS, 20 by default), two at a
# time, starting from its corpus in tests/fuzz/corpus/<target>. New inputs go to a scratch folder,
# so the corpus in the tree changes only by hand: an input that ever crashed is added there.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")/.."

seconds=${FUZZ_SECONDS:-20}
targets=(NumberReadingFuzz FixedTextFuzz FieldFilterFuzz Utf8Fuzz ReportOptionsFuzz)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p build/fuzz/crashes

run_target() {
    local target=$1
    mkdir -p "$scratch/$target"
    if ! QT_QPA_PLATFORM=offscreen \
        "build/fuzz/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="build/fuzz/crashes/$target-" \
        "$scratch/$target" "tests/fuzz/corpus/$target" >"build/fuzz/$target.log" 2>&1; then
        tail -n 40 "build/fuzz/$target.log" >&2
        echo "Fuzz target $target failed; the input is in build/fuzz/crashes/." \
             "Add it to tests/fuzz/corpus/$target once it is mended." >&2
        return 1
    fi
    echo "$target: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "build/fuzz/$target.log" | grep -o '[0-9]*$') runs"
}

status=0
for ((i = 0; i < ${#targets[@]}; i += 2)); do
    pids=()
    for target in "${targets[@]:i:2}"; do
        run_target "$target" & pids+=($!)
    done
    for pid in "${pids[@]}"; do
        wait "$pid" || status=1
    done
done
exit $status
