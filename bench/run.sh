#!/usr/bin/env bash
# Runs the inventory benchmark under Wine in a throw-away prefix (build/bench/prefix, made anew
# each time) after building the windows preset. Prints the scan and minimal-loop times and
# their ratio.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
cmake --preset windows >/dev/null
cmake --build --preset windows --target inventory_bench >/dev/null

export WINEPREFIX=$root/build/bench/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
trap 'wineserver -k 2>/dev/null || true' EXIT
wineboot -i >/dev/null 2>&1 </dev/null
wineserver -w
wineserver -p >/dev/null 2>&1 </dev/null
wine cmd /c exit >/dev/null 2>&1 </dev/null
wine "$root/build/windows/bin/inventory_bench.exe" </dev/null | tr -d '\r'
# The records stay in the prefix for the agent's figures; its windows need a display.
if [ -z "${DISPLAY:-}" ]; then
    Xvfb :89 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
    export DISPLAY=:89
    sleep 1
fi
cmake --build --preset windows --target vantorel >/dev/null
"$root/bench/agent.sh"
