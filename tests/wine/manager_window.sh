# Helpers for the cases that drive the manager window; source after lib.sh. The window is
# started from $VTRL_BIN/vantorel.exe and found by its caption in $window.
# shellcheck shell=bash

program=$VTRL_BIN/vantorel.exe
window='Vantorel 1.0'
pid=

# Starts the manager window and waits until it is shown; its process ID is in $pid.
open_window() {
    vtrl_start "$program"
    pid=$VTRL_LAST_PID
    uidriver wait-window "$window" 30000 >/dev/null
}

# Ends the case as skipped where xdotool, which presses real keys on the display, is missing.
needs_xdotool() {
    command -v xdotool >/dev/null && return 0
    echo "SKIP: xdotool is not installed"
    exit 77
}
# keys KEY...: real key presses, a little apart.
keys() { xdotool key --delay 150 "$@"; }

close_window() {
    uidriver close "$window"
    wait "$pid"
}

# The row index showing a name: the description of a program that has one, else its file name
# in upper case (cases that pick rows by file name list programs without a description); rows
# are read until the first that is missing.
row_of() {
    local i name
    for ((i = 0; i < 40; i++)); do
        name=$(uidriver text "$window" "@BAexe($i)" 2>/dev/null) || break
        if [[ $name == "$1" ]]; then
            echo "$i"
            return 0
        fi
    done
    return 1
}

# control_state CONTROL FIELD: prints the field's value (checked: 0, 1 or 2; visible, enabled:
# 0 or 1). A control that cannot be found or read ends the case: a missing control is a
# failure, never an unchecked or disabled one.
control_state() {
    local state rc=0 value
    state=$(uidriver state "$window" "@$1" 2>&1) || rc=$?
    value=$(sed -n "s/.*\b$2=\([0-9]\).*/\1/p" <<<"$state")
    if [[ $rc != 0 || -z $value ]]; then
        fail "cannot read the state of $1 in '$window' (exit $rc): $state"
    fi
    printf '%s\n' "$value"
}

checked() {
    local value
    value=$(control_state "$1" checked) || exit 1
    [[ $value == 1 ]]
}
enabled() {
    local value
    value=$(control_state "$1" enabled) || exit 1
    [[ $value == 1 ]]
}

# Opens the undo page from the list page and restores every line it lists, answering Yes to each
# question and OK to each message, then leaves through "ok" and waits for the fresh manager
# window the restore starts, and closes it. The number of lines is in $undo_lines.
restore_every_undo_line() {
    local line
    local -a lines
    open_window
    uidriver click "$window" @Label22
    mapfile -t lines < <(uidriver list-items "$window" @List1)
    undo_lines=${#lines[@]}
    for line in "${lines[@]}"; do
        uidriver select-item "$window" @List1 "$line"
        uidriver click "$window" @Command8
        uidriver msgbox-text Vantorel 10000 >/dev/null
        uidriver press Vantorel Yes
        uidriver msgbox-text Vantorel 10000 >/dev/null
        uidriver press Vantorel OK
    done
    uidriver click "$window" @Command7
    wait "$pid"
    uidriver wait-window "$window" 30000 >/dev/null
    uidriver close "$window"
    uidriver wait-gone "$window" 10000
}
