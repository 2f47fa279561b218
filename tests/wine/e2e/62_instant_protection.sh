#!/usr/bin/env bash
# The resident agent watches the startup locations: a restricted Run value or Startup shortcut
# is gone within two seconds, with its backup entry and its removal notice; twenty restricted
# values written at once are all removed in one burst of work; an undecided new record raises
# its reminder within two seconds when the spacing allows it.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

agent=$VTRL_AGENT_CAPTION
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
datakey='HKCU\Software\VB and VBA Program Settings\VTRL\Data'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
facts=$(vtrl_wine 30 "$VTRL_BIN/facts_probe.exe" | tr -d '\r')
data=$(unix_path "$(sed -n 's/^DataFolder=//p' <<<"$facts")")
# The user's Startup folder as the shell names it (Wine spells it "StartUp").
startup=$(unix_path "$(reg_get 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' Startup)")
mkdir -p "$data" "$(drive_c)/vtrltest" "$startup"
for n in tool $(seq -w 1 20); do
    cp "$VTRL_BIN/ui_fixture.exe" "$(drive_c)/vtrltest/bad$n.exe"
done
cp "$VTRL_BIN/ui_fixture.exe" "$(drive_c)/vtrltest/newcomer.exe"

crlf() { printf '%s\r\n' "$@"; }
# An approved record stays, as the agent's own shortcut would: without any record at all the
# agent warns that there is nothing to check and ends.
cp "$VTRL_BIN/ui_fixture.exe" "$(drive_c)/vtrltest/keeper.exe"
reg_set "$run_key" Keeper REG_SZ 'C:\vtrltest\keeper.exe'
{
    crlf "" 'c:\vtrltest' 'badtool.exe' '' N Y 2 "" "" "" ""
    for n in $(seq -w 1 20); do
        crlf "" 'c:\vtrltest' "bad$n.exe" '' N Y 2 "" "" "" ""
    done
    crlf "" 'c:\vtrltest' 'keeper.exe' '' N N 1 "" "" "" ""
} >"$data/ActionsDB.txt"
# A reminder is due: the last one was an hour ago.
reg_set "$datakey" LastReminder REG_SZ "$(date -d '1 hour ago' '+%-m/%-d/%Y %-I:%M:%S %p')"

start_agent

# A restricted Run value.
start=$(now_ms)
reg_set "$run_key" 'Bad Tool' REG_SZ 'C:\vtrltest\badtool.exe'
agent_reacts "$start" "$data/BackupAndLog.txt" "removing the restricted value" \
    reg_missing "$run_key" 'Bad Tool'
grep -q '^badtool.exe' <(tr -d '\r' <"$data/BackupAndLog.txt") || fail "no backup entry for badtool.exe"
uidriver wait-window Vantorel 10000 >/dev/null
assert_eq 'BADTOOL.EXE' "$(uidriver text Vantorel @Label2)" "the removal notice"
uidriver press Vantorel OK
uidriver wait-gone Vantorel 10000

# A restricted shortcut dropped into the Startup folder (made elsewhere, then moved in).
rc=0
vtrl_wine 30 "$VTRL_BIN/make_shortcut.exe" 'C:\vtrltest\Bad Tool.lnk' 'C:\vtrltest\badtool.exe' || rc=$?
assert_eq 0 "$rc" "making the shortcut"
mv "$(drive_c)/vtrltest/Bad Tool.lnk" "$startup/"
link_gone() { [[ ! -e "$startup/Bad Tool.lnk" ]]; }
ms=$(wait_until link_gone) || fail "the restricted shortcut was not removed"
((ms <= 2000)) || fail "the restricted shortcut took $ms ms to go"
grep -qi 'Bad Tool.lnk' <(tr -d '\r' <"$data/BackupAndLog.txt") || fail "no backup entry for the shortcut"
uidriver wait-window Vantorel 10000 >/dev/null
uidriver press Vantorel OK
uidriver wait-gone Vantorel 10000

# Twenty restricted values in one burst, with the sound only. The agent appends a line per
# pass to its trace file, so the passes are counted exactly.
reg_set "$settings" NotifiWin REG_SZ NO
trace=$(drive_c)/vtrltest/agent-trace.txt
: >"$trace"
reg_set "$datakey" AgentTrace REG_SZ 'C:\vtrltest\agent-trace.txt'
burst=$VTRL_CASE_DIR/burst.reg
{
    crlf 'REGEDIT4' '' '[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run]'
    for n in $(seq -w 1 20); do
        crlf "\"Bad $n\"=\"C:\\\\vtrltest\\\\bad$n.exe\""
    done
} >"$burst"
vtrl_wine 30 regedit /S "$(win_path "$burst")"
all_gone() {
    local n
    for n in $(seq -w 1 20); do
        reg_missing "$run_key" "Bad $n" 2>/dev/null || return 1
    done
}
wait_until all_gone >/dev/null || fail "not all twenty values were removed"
# Time for any pass still to come (a settling delay and a pass take well under a second).
sleep 3
passes=$(tr -d '\r' <"$trace")
# Exactly one pass saw the twenty (with the approved record: 21 records) and removed them all:
# every other pass since saw the approved record alone. Its own deletions are a change too, so
# exactly one more change pass follows it (passes of the 30-second timer may come in between;
# a timer pass that came first would do the removing and leave the burst's change pass and its
# own follow-up to find nothing).
assert_eq 1 "$(grep -c '^pass [0-9]* [a-z]* records 21$' <<<"$passes" || true)" \
    "passes that saw the twenty (trace: $passes)"
assert_eq "$(grep -c . <<<"$passes")" \
    "$(grep -c '^pass [0-9]* [a-z]* records \(21\|1\)$' <<<"$passes" || true)" \
    "passes that saw only part of the twenty (trace: $passes)"
if ! grep -q ' timer ' <<<"$passes"; then
    assert_eq 'change records 21'$'\n''change records 1' \
        "$(sed 's/^pass [0-9]* //' <<<"$passes")" "the passes after the burst"
fi
# One backup entry for each of the twenty executables, no more and no fewer.
assert_eq "$(printf 'bad%s.exe\n' $(seq -w 1 20))" \
    "$(tr -d '\r' <"$data/BackupAndLog.txt" |
        awk 'length($0) == 74 && /^=+$/ { entry = NR } NR == entry + 7 { print }' |
        grep '^bad[0-9][0-9]\.exe$' | sort)" "each burst executable once"

# An undecided new record: its reminder within two seconds.
reg_set "$run_key" Newcomer REG_SZ 'C:\vtrltest\newcomer.exe'
start=$(now_ms)
uidriver wait-window Vantorel 5000 >/dev/null || fail "no reminder for the new record"
ms=$(($(now_ms) - start))
((ms <= 2500)) || fail "the reminder took $ms ms"
assert_eq 'NEWCOMER.EXE' "$(uidriver text Vantorel @Label2)" "the reminder's executable"
screenshot 62_instant_reminder.png
uidriver close Vantorel
uidriver wait-gone Vantorel 10000
uidriver close "$agent"
