#!/usr/bin/env bash
# The database page on the real window: the black list first, the white list by its option,
# "remove from list" taking one entry back to no decision, and "clear all" emptying the file.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=tests/wine/manager_window.sh
source "$(dirname "$0")/../manager_window.sh"

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
data=$(unix_path "$(vtrl_wine 30 "$VTRL_BIN/facts_probe.exe" | sed -n 's/^DataFolder=//p' | tr -d '\r')")
mkdir -p "$data" "$(drive_c)/vtrltest"
cp "$VTRL_BIN/version_full.exe" "$(drive_c)/vtrltest/tool.exe"
reg_set "$run_key" Tool REG_SZ 'C:\vtrltest\tool.exe'
entry() { printf '\r\n%s\r\n%s\r\n\r\nN\r\nY\r\n%s\r\n\r\n\r\n\r\n\r\n' "$1" "$2" "$3"; }
{
    entry 'c:\vtrltest' tool.exe 2
    entry 'c:\apps' good.exe 1
    entry 'c:\apps' bad.exe 2
} >"$data/ActionsDB.txt"

vtrl_start "$program"
pid=$VTRL_LAST_PID
uidriver wait-window "$window" 30000 >/dev/null
uidriver click "$window" @Label21
assert_eq $'tool.exe\nbad.exe' "$(uidriver list-items "$window" @List3)" "the black list"
screenshot 74_database_page.png
uidriver click "$window" @Option7
assert_eq good.exe "$(uidriver list-items "$window" @List3)" "the white list"
uidriver click "$window" @Option8

uidriver select-item "$window" @List3 bad.exe
uidriver click "$window" @Command13
uidriver msgbox-text Vantorel 10000 >/dev/null
uidriver press Vantorel '&Yes'
for _ in $(seq 50); do
    [[ $(uidriver list-items "$window" @List3) == tool.exe ]] && break
    sleep 0.1
done
assert_eq tool.exe "$(uidriver list-items "$window" @List3)" "the black list after removing"
sed -n '29p' "$data/ActionsDB.txt" | tr -d '\r' | grep -qx 0 || fail "bad.exe is not back to no decision"

uidriver click "$window" @Command12
uidriver msgbox-text Vantorel 10000 >/dev/null
uidriver press Vantorel '&Yes'
sleep 1
assert_eq 0 "$(stat -c %s "$data/ActionsDB.txt")" "the decision file after clear all"
assert_eq '' "$(uidriver list-items "$window" @List3)" "the black list after clear all"
uidriver close "$window"
uidriver wait-gone "$window" 10000
wait "$pid"
