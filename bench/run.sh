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
