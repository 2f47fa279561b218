#!/usr/bin/env bash
# The benchmark suite in one command. Builds the windows preset's bench programs (under the
# tree's build lock; VTRL_BENCH_NO_BUILD=1 skips it), makes a fresh Wine prefix
# (build/bench/prefix) and runs, each beside its baseline in the same run:
#   inventory_bench     the scan and a check pass over 100 records against minimal loops
#   decisions_bench     the decision file's load and save at 1,113 and 10,000 entries
#   manager_open_bench  the manager window's first paint against a start without a window, at
#                       100 and at 1,000 records
#   agent.sh            the tray agent's pass, peak memory and idle CPU
#   startup_folder.sh   the listing's cost over a Startup folder of 5,000 files
# then a summary table and the machine the figures come from. Under Xvfb :89 when there is no
# display. About 2 minutes after the build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bin=$root/build/windows/bin
started=$SECONDS

if [ -z "${VTRL_BENCH_NO_BUILD:-}" ]; then
    mkdir -p build
    lock=$root/build/.build.lock
    flock "$lock" cmake --preset windows >/dev/null
    flock "$lock" cmake --build --preset windows --target inventory_bench decisions_bench \
        manager_open_bench vantorel vantorelc >/dev/null
fi

export WINEPREFIX=$root/build/bench/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
summary=$(mktemp)
xvfb=
cleanup() {
    wineserver -k 2>/dev/null || true
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
    rm -f "$summary"
}
trap cleanup EXIT
# The display comes first: Wine's desktop process starts with the first program that touches
# the window system (the benches do) and keeps the driver it found then for the whole server.
if [ -z "${DISPLAY:-}" ]; then
    Xvfb :89 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    export DISPLAY=:89
    for _ in $(seq 50); do
        [ -S /tmp/.X11-unix/X89 ] && break
        sleep 0.1
    done
    kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb :89 did not start" >&2; exit 1; }
fi
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
wineboot -i >/dev/null 2>&1 </dev/null
wineserver -w
wineserver -p >/dev/null 2>&1 </dev/null
wine cmd /c exit >/dev/null 2>&1 </dev/null

# step TITLE COMMAND...: runs it with its output shown live and its SUMMARY lines kept apart.
step() {
    echo "== $1"
    shift
    "$@" </dev/null | tr -d '\r' | tee -a "$summary" | awk '!/^SUMMARY\|/'
}

step "inventory scan and check pass (100 records)" wine "$bin/inventory_bench.exe"
step "decision file" wine "$bin/decisions_bench.exe"
# No update question on start: the window opens straight away.
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
wine reg add "$settings" /v 'Recent Update' /t REG_SZ \
    /d "$(date '+%-m/%-d/%Y %-I:%M:%S %p')" /f >/dev/null 2>&1
step "manager window open" wine "$bin/manager_open_bench.exe"
step "tray agent" "$root/bench/agent.sh"
step "Startup folder of 5,000 files" "$root/bench/startup_folder.sh"

echo
echo "== summary (medians; the baseline ran beside each figure in this run)"
{
    echo "what|measured|baseline|ratio"
    sed -n 's/^SUMMARY|//p' "$summary"
} | awk -F'|' '{printf "%-52s %12s %12s %7s\n", $1, $2, $3, $4}'
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')," \
    "$(wine --version 2>/dev/null | head -1), $(date -u '+%Y-%m-%d %H:%M UTC');" \
    "load average $load_before before, $(cut -d' ' -f1-3 /proc/loadavg) after; suite" \
    "$((SECONDS - started)) s"
