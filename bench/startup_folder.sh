#!/usr/bin/env bash
# The scan's cost over a Startup folder of 5,000 files, under Wine in the benchmark prefix:
# "vantorelc list --json" with 4,980 plain files and 20 broken ".lnk" files added to the user's
# Startup folder (which already holds the 20 shortcuts of the seeded records), beside the same
# listing without them (the start-up and the seeded records).
# Medians of 5 pairs. The end-to-end case 66 keeps only a bound of ten times this cost. Called
# by bench/run.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
lc=$root/build/windows/bin/vantorelc.exe

appdata=$(wine cmd /c echo '%APPDATA%' </dev/null 2>/dev/null | tr -d '\r')
startup=$(winepath -u "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Startup" 2>/dev/null)
mkdir -p "$startup"
seeded=$(find "$startup" -mindepth 1 -maxdepth 1 | wc -l)
crowd=$(mktemp -d)
remove_crowd() { find "$startup" -maxdepth 1 -name 'vtrl-bench-*' -delete; }
trap 'rm -rf "$crowd"; remove_crowd' EXIT
(
    cd "$crowd"
    for n in $(seq -w 1 4980); do : >"vtrl-bench-note $n.txt"; done
    for n in $(seq -w 1 20); do
        head -c $((10#$n * 97)) /dev/urandom >"vtrl-bench-broken $n.lnk"
    done
)

# list_ms: the wall time of one listing; fails when the listing does.
list_ms() {
    local started
    started=$(date +%s%N)
    wine "$lc" list --json </dev/null >/dev/null 2>&1 || return 1
    echo $((($(date +%s%N) - started) / 1000000))
}
median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

list_ms >/dev/null # warm-up
full=() empty=()
for _ in 1 2 3 4 5; do
    remove_crowd
    empty+=("$(list_ms)")
    cp -a "$crowd"/. "$startup"/
    [[ $(find "$startup" -mindepth 1 -maxdepth 1 | wc -l) == $((seeded + 5000)) ]] || {
        echo "the Startup folder does not hold the 5,000 files" >&2
        exit 1
    }
    full+=("$(list_ms)")
done
full_ms=$(printf '%s\n' "${full[@]}" | median)
empty_ms=$(printf '%s\n' "${empty[@]}" | median)
echo "listing with 5,000 more files in the Startup folder: ${full_ms} ms (without them: ${empty_ms} ms), their cost $((full_ms - empty_ms)) ms"
echo "SUMMARY|listing, 5,000 more files in the Startup folder vs without|${full_ms} ms|${empty_ms} ms|-"
