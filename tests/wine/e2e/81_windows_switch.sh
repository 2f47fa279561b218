#!/usr/bin/env bash
# Windows' own on/off switch ("StartupApproved"). Values written with reg.exe as Task Manager
# writes them are listed by `vantorelc list --json` as off with their date, each from the key
# Windows reads for its place (the user's Run, the 32-bit view's Run through "Run32", the
# Startup folder by file name), and RunOnce ignores them. The record page switches a record on
# and off writing exactly Task Manager's bytes and deleting nothing, and the undo page switches
# it back. Restricted under "switch off", the resident agent switches a record off within two
# seconds when it switches itself back on, switches off the value a program rewrites under a new
# name, and deletes with a backup a record Windows has no switch for.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=tests/wine/manager_window.sh
source "$(dirname "$0")/../manager_window.sh"

lc=$VTRL_BIN/vantorelc.exe
out=$VTRL_CASE_DIR
agent=$VTRL_AGENT_CAPTION
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
cv='Software\Microsoft\Windows\CurrentVersion'
run_key="HKCU\\$cv\\Run"
once_key="HKCU\\$cv\\RunOnce"
wow_key="HKLM\\Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run"
user_switch="HKCU\\$cv\\Explorer\\StartupApproved"
machine_switch="HKLM\\$cv\\Explorer\\StartupApproved"
data=$(vtrl_data_folder)
startup=$(unix_path "$(vtrl_wine 30 "$VTRL_BIN/facts_probe.exe" | tr -d '\r' | sed -n 's/^StartupFolder=//p')")
mkdir -p "$data" "$startup" "$(drive_c)/vtrltest"
for n in tool wow once item renamed keeper; do
    cp "$VTRL_BIN/version_none.exe" "$(drive_c)/vtrltest/$n.exe"
done
english=$VTRL_BIN/Languages/English.ini
text_of() { sed -n "s/^$1=//p" "$english" | tr -d '\r'; }
on_value=020000000000000000000000
# 2026-12-09 09:50:20 UTC as a FILETIME, little-endian, behind Task Manager's 03 00 00 00.
off_value=030000000096beb3c287dd01

reg_set "$run_key" Tool REG_SZ 'C:\vtrltest\tool.exe'
reg_set "$run_key" Keeper REG_SZ 'C:\vtrltest\keeper.exe'
reg_set "$wow_key" Wow REG_SZ 'C:\vtrltest\wow.exe'
reg_set "$once_key" Once REG_SZ 'C:\vtrltest\once.exe'
cp "$VTRL_BIN/version_none.exe" "$startup/Item.exe"
reg_set "$user_switch\\Run" Tool REG_BINARY "$off_value"
# The 64-bit view's switch does not reach the 32-bit view's value: only Run32 does.
reg_set "$machine_switch\\Run" Wow REG_BINARY "$off_value"
reg_set "$machine_switch\\Run32" Wow REG_BINARY 070000000096beb3c287dd01
# RunOnce has no switch: a Run switch of the same name is not its own.
reg_set "$user_switch\\Run" Once REG_BINARY "$off_value"
reg_set "$user_switch\\StartupFolder" Item.exe REG_BINARY "$off_value"

# 1. Listed as Windows sees them.
rc=0
vtrl_wine 60 "$lc" list --json >"$out/list.json" 2>"$out/list.err" || rc=$?
assert_eq 0 "$rc" "exit code of list --json ($(cat "$out/list.err"))"
python3 - "$out/list.json" <<'PY' || fail "the switch states in the listing (see the log)"
import json, sys
records = json.load(open(sys.argv[1], encoding="utf-8"))
# item.exe lives in the Startup folder itself, the others in C:\vtrltest.
seen = {r["ExeName"]: (r["EnabledInWindows"], r["DisabledSince"]) for r in records}
expected = {
    "tool.exe": (False, "2026-12-09T09:50:20Z"),
    "wow.exe": (False, "2026-12-09T09:50:20Z"),
    "item.exe": (False, "2026-12-09T09:50:20Z"),
    "once.exe": (True, ""),
    "keeper.exe": (True, ""),
}
for name, state in expected.items():
    if seen.get(name) != state:
        print(f"{name}: {seen.get(name)} instead of {state}")
        sys.exit(1)
PY
reg_delete "$user_switch\\Run" Once

# 2. The record page: the list says it is off and since when (local time), "Switch on" writes
# Task Manager's on value, "Switch off" its off value stamped now, nothing is deleted, and the
# undo page gives back what was there before.
since=$(date -d '2026-12-09T09:50:20Z' '+%-m/%-d/%Y %-I:%M:%S %p')
open_window
tool=$(row_of TOOL.EXE) || fail "no row for TOOL.EXE"
assert_eq "$(text_of REC-WINOFF) ($since)" "$(uidriver text "$window" "@BAinfo($tool)")" \
    "the row of a record switched off"
uidriver click "$window" "@BAexe($tool)"
uidriver wait-text "$window" @Label1 TOOL.EXE 5000
assert_eq "$(text_of SWITCHON)" "$(uidriver text "$window" @CommandSwitch | tr -d '&')" "the switch button"
uidriver click "$window" @CommandSwitch
message=$(uidriver msgbox-text Vantorel 10000)
[[ $message == "$(text_of SWITCHEDON)"* ]] || fail "after Switch on: $message"
uidriver press Vantorel OK
wait "$pid"
assert_eq "$on_value" "$(reg_get "$user_switch\\Run" Tool)" "Task Manager's on value"
uidriver wait-window "$window" 30000 >/dev/null
tool=$(row_of TOOL.EXE) || fail "no row for TOOL.EXE after switching on"
uidriver click "$window" "@BAexe($tool)"
uidriver wait-text "$window" @Label1 TOOL.EXE 5000
assert_eq "$(text_of SWITCHOFF)" "$(uidriver text "$window" @CommandSwitch | tr -d '&')" "the switch button"
before=$(date -u +%s)
uidriver click "$window" @CommandSwitch
message=$(uidriver msgbox-text Vantorel 10000)
[[ $message == "$(text_of SWITCHEDOFF)"* ]] || fail "after Switch off: $message"
uidriver press Vantorel OK
wait "$pid"
value=$(reg_get "$user_switch\\Run" Tool)
[[ ${value:0:8} == 03000000 && ${#value} == 24 ]] || fail "Task Manager's off value: $value"
stamped=$(python3 -c "import sys; b=bytes.fromhex(sys.argv[1][8:]); print(int.from_bytes(b,'little')//10**7-11644473600)" "$value")
((stamped >= before - 2 && stamped <= $(date -u +%s) + 2)) ||
    fail "switched off at $stamped, not between $before and now"
reg_get "$run_key" Tool >/dev/null || fail "switching off deleted the Run value"
grep -q '^WINSWITCH$' <(tr -d '\r' <"$data/BackupAndLog.txt") || fail "no undo entry"
uidriver wait-window "$window" 30000 >/dev/null
uidriver close "$window"
uidriver wait-gone "$window" 10000
restore_every_undo_line
assert_eq 1 "$undo_lines" "lines on the undo page"
assert_eq "$on_value" "$(reg_get "$user_switch\\Run" Tool)" "the switch after the undo"

# 3. The agent under "switch off": tool.exe and the renamed value are switched off, once.exe
# (RunOnce: no switch) is deleted with its backup.
crlf() { printf '%s\r\n' "$@"; }
{
    for n in tool renamed once; do
        crlf "" 'c:\vtrltest' "$n.exe" '' N Y 2 "" "" "" ""
    done
    crlf "" 'c:\vtrltest' 'keeper.exe' '' N N 1 "" "" "" ""
} >"$data/ActionsDB.txt"
reg_set "$settings" RestrictBy REG_SZ SWITCH
reg_set "$settings" NotifiWin REG_SZ NO
reg_set "$settings" Sound REG_SZ NO
reg_set "$settings" Unknown REG_SZ NO
start_agent
is_off() {
    local value
    value=$(reg_get "$user_switch\\Run" "$1" 2>/dev/null) || return 1
    [[ ${value:0:2} == 03 ]]
}
log=$data/BackupAndLog.txt
# Any change wakes the agent, which switches the restricted tool.exe off (06: on, too) ...
start=$(now_ms)
reg_set "$user_switch\\Run" Tool REG_BINARY 060000000000000000000000
agent_reacts "$start" "$log" "switching tool.exe off" is_off Tool
# ... and again when the program switches itself back on.
start=$(now_ms)
reg_set "$user_switch\\Run" Tool REG_BINARY "$on_value"
agent_reacts "$start" "$log" "switching tool.exe off again" is_off Tool
# ... and writes its Run value again under another name, to get past the switch.
start=$(now_ms)
reg_set "$run_key" Renamed REG_SZ 'C:\vtrltest\renamed.exe'
agent_reacts "$start" "$log" "switching the rewritten value off" is_off Renamed
reg_get "$run_key" Renamed >/dev/null || fail "the rewritten value was deleted, not switched off"
# Windows has no switch for RunOnce: deleted, with its backup.
start=$(now_ms)
reg_set "$once_key" Once REG_SZ 'C:\vtrltest\once.exe'
once_gone() { reg_missing "$once_key" Once 2>/dev/null; }
agent_reacts "$start" "$log" "deleting the RunOnce value" once_gone
grep -qxF "HKEY_CURRENT_USER\\$cv\\RunOnce\\Once" <(tr -d '\r' <"$log") ||
    fail "no backup entry for the RunOnce value"
reg_missing "$user_switch\\Run" Once || fail "a switch was written for a RunOnce value"
uidriver close "$agent"
uidriver wait-gone "$agent" 10000
