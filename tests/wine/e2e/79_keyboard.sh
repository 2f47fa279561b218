#!/usr/bin/env bash
# The manager window without a mouse, with real key presses on the display: Down, Down selects
# the third record, for a screen reader too, and Enter opens it; Escape goes back to the list;
# Tab reaches each link and Enter opens its page, as Alt and a link's access key do; Enter on a
# page presses its default button; Escape on the list closes the window.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=tests/wine/manager_window.sh
source "$(dirname "$0")/../manager_window.sh"

needs_xdotool
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
mkdir -p "$(drive_c)/vtrltest"
for i in 1 2 3 4 5 6 7 8; do
    cp "$VTRL_BIN/version_none.exe" "$(drive_c)/vtrltest/tool$i.exe"
    reg_set "$run_key" "Tool$i" REG_SZ "C:\\vtrltest\\tool$i.exe"
done

# wait_shown CONTROL [0|1]: waits until the control's visibility is the one asked for (1).
wait_shown() {
    local want=${2:-1}
    for _ in $(seq 50); do
        [[ $(control_state "$1" visible) == "$want" ]] && return 0
        sleep 0.1
    done
    fail "$1: visible is not $want"
}

open_window
third=$(uidriver text "$window" '@BAexe(2)')
[[ -n $third ]] || fail "the list has no third row"
keys Down Down
screenshot 79_list_selection.png
# A screen reader, from its own process, finds a list of the eight records with the third one
# selected and focused, each named by its record's name and status.
spoken=$(uidriver accessible-list "$window" @Picture1) || fail "the list has no accessible object"
[[ $(head -n 1 <<<"$spoken") == 'role=list count=8 selected=3 focused=3' ]] ||
    fail "the list is not read as a list with the third row selected: $spoken"
[[ $(sed -n 4p <<<"$spoken") == "$third, "?* ]] || fail "the third row is not read as $third: $spoken"
keys Return
uidriver wait-text "$window" @Label1 "$third" 5000 || fail "Down, Down, Enter did not open $third"
wait_shown Command1
keys Escape
wait_shown "Deza(0)"
wait_shown Label1 0

# Tab from the list: the undo, lists, settings and create links in turn; Enter opens each page,
# Escape comes back to the list, whose focus Tab starts from again.
tabs=0
for button in Command7 Command11 Command3 Command17; do
    tabs=$((tabs + 1))
    for _ in $(seq "$tabs"); do keys Tab; done
    [[ $tabs == 1 ]] && screenshot 79_link_focus.png
    keys Return
    wait_shown "$button"
    wait_shown "Deza(0)" 0
    keys Escape
    wait_shown "Deza(0)"
done

# Alt and the undo link's access key (underlined in its text) open the undo page.
undo_text=$(uidriver text "$window" @Label22)
[[ $undo_text == *'&'?* ]] || fail "the undo link has no access key: $undo_text"
letter=${undo_text#*&}
keys "alt+${letter:0:1}"
wait_shown Command7
keys Escape
wait_shown "Deza(0)"

# Enter on the settings page presses "apply": the cleared sound box is stored.
keys Tab Tab Tab Return
wait_shown Command3
screenshot 79_settings_access_keys.png
uidriver click "$window" @Check5
keys Return
wait_shown "Deza(0)"
assert_eq NO "$(reg_get "$settings" Sound)" "Sound after Enter on the settings page"

# Escape on the list closes the window and ends the program.
keys Escape
uidriver wait-gone "$window" 10000 || fail "Escape on the list left the window open"
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$pid" 2>/dev/null && fail "the manager still runs after Escape on the list"
true
