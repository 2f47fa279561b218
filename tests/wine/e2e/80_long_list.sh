#!/usr/bin/env bash
# A startup list longer than the window, on the real window: only the six rows in view are
# windows, the mouse wheel scrolls them, Page Down shows every record in them in turn and End
# brings the last, whose row opens it; each row says where it starts from; the icons are saved
# in the data folder once the window is up, with the stamps they were drawn from. Screenshots
# at 96 and 144 DPI.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=tests/wine/manager_window.sh
source "$(dirname "$0")/../manager_window.sh"

needs_xdotool
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
english=$VTRL_BIN/Languages/English.ini
text_of() { sed -n "s/^$1=//p" "$english" | tr -d '\r'; }
data=$(vtrl_data_folder)
count=30
mkdir -p "$(drive_c)/vtrltest"
for ((i = 1; i <= count; i++)); do
    name=$(printf 'tool%02d' "$i")
    cp "$VTRL_BIN/version_none.exe" "$(drive_c)/vtrltest/$name.exe"
    reg_set "$run_key" "$name" REG_SZ "C:\\vtrltest\\$name.exe"
done
# The names the six rows show now, one per line.
rows_in_view() {
    local slot
    for ((slot = 0; slot < 6; slot++)); do
        uidriver text "$window" "@BAexe($slot)"
    done
}

open_window
uidriver text "$window" '@BAexe(6)' >/dev/null 2>&1 && fail "a seventh row is a window"
first_row=$(uidriver text "$window" '@BAexe(0)')
[[ -n $first_row ]] || fail "the first row is empty"

# Each row names its place: the Run key for the programs listed there.
tool_slot=
for ((slot = 0; slot < 6; slot++)); do
    if [[ $(uidriver text "$window" "@BAexe($slot)") == TOOL* ]]; then
        tool_slot=$slot
        break
    fi
done
[[ -n $tool_slot ]] || fail "no TOOL row in view: $(rows_in_view | tr '\n' ' ')"
assert_eq "$(text_of PLACE-REGISTRY)" "$(uidriver text "$window" "@BAplace($tool_slot)")" \
    "the place line of a Run-key record"
sleep 1 # the picture only: the icons drawn after the first paint come in
screenshot 80_long_list_96.png

# The mouse wheel over the list scrolls it, a notch by Windows' three rows, and back.
fourth_row=$(uidriver text "$window" '@BAexe(3)')
read -r wx wy ww wh < <(uidriver rect "$window" | tr -d '\r')
xdotool mousemove $((wx + ww / 3)) $((wy + wh / 2)) click 5
uidriver wait-text "$window" '@BAexe(0)' "$fourth_row" 5000 >/dev/null ||
    fail "a notch of the wheel did not scroll three rows: $(rows_in_view | tr '\n' ' ')"
xdotool click 4
uidriver wait-text "$window" '@BAexe(0)' "$first_row" 5000 >/dev/null ||
    fail "a notch back did not scroll back: $(rows_in_view | tr '\n' ' ')"

# Page Down through the list: every record comes into view in the same six rows.
declare -A seen=()
for _ in $(seq 12); do
    while read -r name; do
        [[ -n $name ]] && seen[$name]=1
    done < <(rows_in_view | tr -d '\r')
    keys Next
done
for ((i = 1; i <= count; i++)); do
    name=$(printf 'TOOL%02d.EXE' "$i")
    [[ -n ${seen[$name]:-} ]] || fail "$name never came into view; seen: ${!seen[*]}"
done
uidriver text "$window" '@BAexe(6)' >/dev/null 2>&1 && fail "scrolling made a seventh row window"

# End: the last record is on the bottom row, and Enter opens it.
keys End
last_row=$(uidriver text "$window" '@BAexe(5)')
[[ -n $last_row && $last_row != "$first_row" ]] || fail "End did not bring the last record: $last_row"
keys Return
uidriver wait-text "$window" @Label1 "$last_row" 5000 || fail "Enter did not open $last_row"
keys Escape
for _ in $(seq 50); do [[ $(control_state "Deza(0)" visible) == 1 ]] && break; sleep 0.1; done

# The icons are drawn once the window is up, and remembered with their programs' stamps.
icons_saved() {
    local i
    for ((i = 1; i <= count; i++)); do
        [[ -s $data/$(printf 'tool%02d' "$i").exe.bmp ]] || return 1
    done
    grep -q "^tool30.exe"$'\t' "$data/IconStamps.txt" 2>/dev/null
}
for _ in $(seq 100); do icons_saved && break; sleep 0.2; done
icons_saved || fail "the icons or their stamps were not saved: $(ls "$data")"
close_window

# The list at 144 DPI: the rows keep their layout.
reg_set 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD 144
vtrl_server_stop
vtrl_server_start
open_window
uidriver text "$window" '@BAplace(0)' >/dev/null
sleep 1 # the picture only: the rows finish painting
screenshot 80_long_list_144.png
close_window
