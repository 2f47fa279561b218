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

close_window() {
    uidriver close "$window"
    wait "$pid"
}

# The row index showing an executable name; rows are read until the first that is missing.
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

checked() { [[ $(uidriver state "$window" "@$1") == *checked=1* ]]; }
enabled() { [[ $(uidriver state "$window" "@$1") == *enabled=1* ]]; }
