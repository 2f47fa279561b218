#!/usr/bin/env bash
# The tray agent's cost, under Wine in the benchmark prefix that bench/run.sh seeded with 100
# startup records: the wall time and peak memory of one check pass ("Every" mode, one pass and
# exit) beside a start that runs no pass, and the resident agent's CPU time around and between its
# 30-second timer passes beside an idle Wine program (notepad) sampled at the same moments. Every
# pass counted is proved by the agent's trace ("Data"/"AgentTrace": one line per pass with the
# records it saw). Called by bench/run.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
program=$root/build/windows/bin/vantorel.exe
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
datakey='HKCU\Software\VB and VBA Program Settings\VTRL\Data'
trace=$WINEPREFIX/drive_c/agent-trace.txt
wine reg add "$datakey" /v AgentTrace /t REG_SZ /d 'C:\agent-trace.txt' /f >/dev/null 2>&1
# trace_count CAUSE: the passes of that cause in the trace that saw at least the 100 records.
trace_count() {
    { tr -d '\r' <"$trace"; } 2>/dev/null |
        awk -v cause="$1" '$1 == "pass" && $3 == cause && $5 >= 100 { n++ } END { print n + 0 }'
}

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
rm -f "$trace"
measure startup >/dev/null # warm-up
pass_walls=() pass_peaks=() base_walls=() base_peaks=()
for _ in 1 2 3 4 5; do
    read -r wall peak < <(measure startup)
    pass_walls+=("$wall") pass_peaks+=("$peak")
    read -r wall peak < <(measure no-such-mode)
    base_walls+=("$wall") base_peaks+=("$peak")
done
# Six starts with a pass (the warm-up too), five without.
passes=$(trace_count start)
[[ $passes == 6 ]] || { echo "expected 6 traced passes over 100 records, found $passes:" \
    "$(cat "$trace" 2>/dev/null)" >&2; exit 1; }
pass_wall=$(printf '%s\n' "${pass_walls[@]}" | median)
base_wall=$(printf '%s\n' "${base_walls[@]}" | median)
pass_peak=$(printf '%s\n' "${pass_peaks[@]}" | sort -n | tail -1)
base_peak=$(printf '%s\n' "${base_peaks[@]}" | sort -n | tail -1)
echo "agent pass over 100 records: ${pass_wall} ms wall (a start without a pass: ${base_wall} ms), peak ${pass_peak} KB (without a pass: ${base_peak} KB)"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", (b > 0 ? a / b : 0)}'; }
echo "SUMMARY|agent pass wall vs start without a pass|${pass_wall} ms|${base_wall} ms|$(ratio "$pass_wall" "$base_wall")"
echo "SUMMARY|agent peak memory vs start without a pass|${pass_peak} KB|${base_peak} KB|$(ratio "$pass_peak" "$base_peak")"

# The resident agent, beside an idle Wine program. Processes are picked by this prefix, so that
# an agent of another prefix (a test run beside this) is never measured.
prefix_pid() { # PATTERN
    local candidate
    for candidate in $(pgrep -f "$1" || true); do
        if { tr '\0' '\n' <"/proc/$candidate/environ"; } 2>/dev/null |
            grep -qxF "WINEPREFIX=$WINEPREFIX"; then
            echo "$candidate"
        fi
    done | tail -n 1
}
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
ms() { echo $(((${2} - ${1}) * 1000 / hz)); }
wait_for_pass() { # COUNT SECONDS: until the trace shows COUNT timer passes
    local _
    for _ in $(seq $(($2 * 10))); do
        (($(trace_count timer) >= $1)) && return 0
        sleep 0.1
    done
    echo "the resident agent ran no timer pass number $1 within $2 s" >&2
    return 1
}

wine reg delete "$settings" /v SMode /f >/dev/null 2>&1
rm -f "$trace"
wine "$program" startup </dev/null >/dev/null 2>&1 &
launcher=$!
wine notepad </dev/null >/dev/null 2>&1 &
idle_launcher=$!
stop_resident() {
    [[ -n ${pid:-} ]] && kill "$pid" 2>/dev/null
    [[ -n ${idle:-} ]] && kill "$idle" 2>/dev/null
    wait "$launcher" "$idle_launcher" 2>/dev/null || true
}
trap stop_resident EXIT
sleep 3 # past their start-up; the loader's own processes have gone by then
pid=$(prefix_pid 'vantorel.exe startup')
idle=$(prefix_pid 'notepad')
[[ -n $pid && -r /proc/$pid/stat ]] || { echo "the resident agent did not start" >&2; exit 1; }
[[ -n $idle && -r /proc/$idle/stat ]] || { echo "the idle baseline did not start" >&2; exit 1; }
# From just after the first timer pass, 25 idle seconds, then on to just after the second.
wait_for_pass 1 45
a1=$(ticks "$pid") b1=$(ticks "$idle")
sleep 25
a2=$(ticks "$pid") b2=$(ticks "$idle")
[[ $(trace_count timer) == 1 ]] || { echo "a pass ran in the idle window" >&2; exit 1; }
wait_for_pass 2 15
sleep 1
a3=$(ticks "$pid") b3=$(ticks "$idle")
echo "resident agent, 100 records: $(ms "$a1" "$a2") ms CPU over 25 idle s (an idle notepad: $(ms "$b1" "$b2") ms), $(ms "$a2" "$a3") ms from there through its next pass (notepad: $(ms "$b2" "$b3") ms)"
echo "SUMMARY|resident agent CPU, 25 idle s vs an idle Wine program|$(ms "$a1" "$a2") ms|$(ms "$b1" "$b2") ms|-"
echo "SUMMARY|resident agent CPU, on through a timer pass vs idle program|$(ms "$a2" "$a3") ms|$(ms "$b2" "$b3") ms|-"
