#!/usr/bin/env bash
# The scan's cost over a Startup folder of 5,000 files, under Wine in the benchmark prefix:
# "vantorelc list --json" with 4,980 plain files and 20 broken ".lnk" files in the user's Startup
# folder, beside the same listing with the folder empty (the start-up and the other records).
# Medians of 5 pairs. The end-to-end case 66 keeps only a bound of ten times this cost. Called
# by bench/run.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
lc=$root/build/windows/bin/vantorelc.exe

appdata=$(wine cmd /c echo '%APPDATA%' </dev/null 2>/dev/null | tr -d '\r')
startup=$(winepath -u "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Startup" 2>/dev/null)
mkdir -p "$startup"
[[ -z $(find "$startup" -mindepth 1 -print -quit) ]] || {
    echo "the benchmark prefix's Startup folder is not empty: $startup" >&2
    exit 1
}
crowd=$(mktemp -d)
trap 'rm -rf "$crowd"; find "$startup" -mindepth 1 -delete' EXIT
(
    cd "$crowd"
    for n in $(seq -w 1 4980); do : >"note $n.txt"; done
    for n in $(seq -w 1 20); do
        head -c $((n * 97)) /dev/urandom >"broken $n.lnk"
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
    find "$startup" -mindepth 1 -delete
    empty+=("$(list_ms)")
    cp -a "$crowd"/. "$startup"/
    [[ $(find "$startup" -mindepth 1 -maxdepth 1 | wc -l) == 5000 ]] || {
        echo "the Startup folder does not hold 5,000 files" >&2
        exit 1
    }
    full+=("$(list_ms)")
done
full_ms=$(printf '%s\n' "${full[@]}" | median)
empty_ms=$(printf '%s\n' "${empty[@]}" | median)
echo "listing with 5,000 files in the Startup folder: ${full_ms} ms (empty folder: ${empty_ms} ms), the folder's cost $((full_ms - empty_ms)) ms"
echo "SUMMARY|listing, 5,000-file Startup folder vs empty folder|${full_ms} ms|${empty_ms} ms|-"
