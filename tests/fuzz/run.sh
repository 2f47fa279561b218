#!/usr/bin/env bash
# Builds the fuzz preset and runs every fuzz target for a bounded time, two at a time, each on a
# copy of its seed corpus (the committed corpus never grows). Any finding fails the run; its
# input is kept under build/fuzz/findings/<target>/ and the log under build/fuzz/logs/.
#   tests/fuzz/run.sh [seconds per target, default 20]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
seconds=${1:-20}
cd "$root"

configure_log="$root/build/fuzz-configure.log"
mkdir -p "$root/build"
cmake --preset fuzz >"$configure_log" 2>&1 || { cat "$configure_log"; exit 1; }
cmake --build --preset fuzz -j "$(nproc 2>/dev/null || echo 2)"

bin="$root/build/fuzz/tests/fuzz"
work="$root/build/fuzz/work"
logs="$root/build/fuzz/logs"
findings="$root/build/fuzz/findings"
rm -rf "$work" "$findings"
mkdir -p "$work" "$logs" "$findings"

targets=()
for source in "$root"/tests/fuzz/*_fuzz.cpp; do
    targets+=("$(basename "$source" .cpp)")
done

run_target() {
    local target=$1
    local corpus="$work/$target"
    mkdir -p "$corpus" "$findings/$target"
    if [ -d "$root/tests/fuzz/corpus/${target%_fuzz}" ]; then
        cp -r "$root/tests/fuzz/corpus/${target%_fuzz}/." "$corpus/"
    fi
    local status=0
    # Leak checks stay on; one slow input (10 s) or 2 GB is a finding too.
    "$bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/$target/" "$corpus" \
        >"$logs/$target.log" 2>&1 </dev/null || status=$?
    echo "$status" >"$work/$target.status"
}

# Two at a time: the machines have two cores.
running=0
for target in "${targets[@]}"; do
    run_target "$target" &
    running=$((running + 1))
    if [ "$running" -ge 2 ]; then
        wait -n || true
        running=$((running - 1))
    fi
done
wait || true

passed=0
failed=0
for target in "${targets[@]}"; do
    status=$(cat "$work/$target.status" 2>/dev/null || echo missing)
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$logs/$target.log" | tail -n 1)
    if [ "$status" = "0" ] && ! ls "$findings/$target"/* >/dev/null 2>&1; then
        passed=$((passed + 1))
        echo "  ok    $target (${runs:-?} inputs in ${seconds} s)"
    else
        failed=$((failed + 1))
        echo "  FOUND $target (exit $status): log $logs/$target.log"
        grep -E 'property failed|ERROR: |SUMMARY: ' "$logs/$target.log" | head -n 5 | sed 's/^/        /'
        for finding in "$findings/$target"/*; do
            [ -e "$finding" ] && echo "        input: $finding"
        done
    fi
done
echo "fuzz: ${passed} passed, ${failed} failed"
[ "$failed" -eq 0 ]
