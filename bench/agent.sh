#!/usr/bin/env bash
# The tray agent's cost, under Wine in the benchmark prefix that bench/run.sh seeded with 100
# startup records: the wall time and peak memory of one check pass ("Every" mode, one pass and
# exit) beside a start that runs no pass, and the resident agent's CPU time over 60 idle
# seconds (its 30-second timer passes and its change watches included). Called by bench/run.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=$root/build/windows/bin/vantorel.exe
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'

# No reminders and no update question: the pass does its checking and nothing else.
wine reg add "$settings" /v Unknown /t REG_SZ /d NO /f >/dev/null 2>&1
wine reg add "$settings" /v 'Recent Update' /t REG_SZ /d "$(date '+%-m/%-d/%Y %-I:%M:%S %p')" /f >/dev/null 2>&1

# measure ARGS...: prints "wall_ms peak_kb" of one run of the program.
measure() {
    local report
    report=$(mktemp)
    /usr/bin/time -o "$report" -f '%e %M' wine "$program" "$@" </dev/null >/dev/null 2>&1
    awk '{printf "%d %d\n", $1 * 1000, $2}' "$report"
    rm -f "$report"
}
median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

wine reg add "$settings" /v SMode /t REG_SZ /d Every /f >/dev/null 2>&1
measure startup >/dev/null # warm-up
pass_walls=() pass_peaks=() base_walls=() base_peaks=()
for _ in 1 2 3 4 5; do
    read -r wall peak < <(measure startup)
    pass_walls+=("$wall") pass_peaks+=("$peak")
    read -r wall peak < <(measure no-such-mode)
    base_walls+=("$wall") base_peaks+=("$peak")
done
pass_wall=$(printf '%s\n' "${pass_walls[@]}" | median)
base_wall=$(printf '%s\n' "${base_walls[@]}" | median)
pass_peak=$(printf '%s\n' "${pass_peaks[@]}" | sort -n | tail -1)
base_peak=$(printf '%s\n' "${base_peaks[@]}" | sort -n | tail -1)
echo "agent pass over 100 records: ${pass_wall} ms wall (a start without a pass: ${base_wall} ms), peak ${pass_peak} KB (without a pass: ${base_peak} KB)"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", (b > 0 ? a / b : 0)}'; }
echo "SUMMARY|agent pass wall vs start without a pass|${pass_wall} ms|${base_wall} ms|$(ratio "$pass_wall" "$base_wall")"
echo "SUMMARY|agent peak memory vs start without a pass|${pass_peak} KB|${base_peak} KB|$(ratio "$pass_peak" "$base_peak")"

# The resident agent, idle: CPU time of its process (user + system) over the period.
wine reg delete "$settings" /v SMode /f >/dev/null 2>&1
wine "$program" startup </dev/null >/dev/null 2>&1 &
launcher=$!
sleep 3 # past its start-up; the loader's own processes have gone by then
pid=$(pgrep -f 'vantorel.exe startup' | tail -1 || true)
[[ -n $pid && -r /proc/$pid/stat ]] || { echo "the resident agent did not start" >&2; exit 1; }
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
ms() { echo $(((${2} - ${1}) * 1000 / hz)); }
# Started at 0 s: the timer passes come at 30 s and 60 s. Samples at 3, 33, 58 and 63 s.
t3=$(ticks "$pid")
sleep 30
t33=$(ticks "$pid")
sleep 25
t58=$(ticks "$pid")
sleep 5
t63=$(ticks "$pid")
echo "resident agent, 100 records: $(ms "$t3" "$t63") ms CPU over 60 s (two timer passes included), $(ms "$t33" "$t58") ms over the 25 idle seconds between two passes"
echo "SUMMARY|resident agent CPU over 60 s (idle 25 s between)|$(ms "$t3" "$t63") ms|$(ms "$t33" "$t58") ms|-"
kill "$pid" 2>/dev/null || true
wait "$launcher" 2>/dev/null || true
