#!/usr/bin/env bash
# The tray agent in its three modes. "Every" runs one pass and ends; "Once" runs a pass only when
# more than a day has passed since the last one; the resident agent shows its icon, runs its
# first pass after 30 seconds (not at start), ignores right and double clicks, and ends on a
# left click or when it is closed by its caption; with "HideTrayIcon" it has no icon.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

program=$VTRL_BIN/vantorel.exe
agent='Vantorel tray agent'
manager='Vantorel 1.0'
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
datakey='HKCU\Software\VB and VBA Program Settings\VTRL\Data'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
data=$(unix_path "$(vtrl_wine 30 "$VTRL_BIN/facts_probe.exe" | sed -n 's/^DataFolder=//p' | tr -d '\r')")
mkdir -p "$data" "$(drive_c)/vtrltest"
cp "$VTRL_BIN/ui_fixture.exe" "$(drive_c)/vtrltest/badtool.exe"

crlf() { printf '%s\r\n' "$@"; }
# An approved record stays, as the agent's own shortcut would: without any record at all the
# agent warns that there is nothing to check and ends.
cp "$VTRL_BIN/ui_fixture.exe" "$(drive_c)/vtrltest/keeper.exe"
reg_set "$run_key" Keeper REG_SZ 'C:\vtrltest\keeper.exe'
# badtool.exe is on the black list: its startup records are deleted.
{
    crlf "" 'c:\vtrltest' 'badtool.exe' '' N Y 2 "" "" "" ""
    crlf "" 'c:\vtrltest' 'keeper.exe' '' N N 1 "" "" "" ""
} >"$data/ActionsDB.txt"
restricted() { reg_set "$run_key" 'Bad Tool' REG_SZ 'C:\vtrltest\badtool.exe'; }
# The log keeps one entry per executable: each new removal of badtool.exe renews its time.
removed_at() { sed -n 2p "$data/BackupAndLog.txt" | tr -d '\r'; }

# "Every": one pass, a removal notice, and the agent ends.
reg_set "$settings" SMode REG_SZ Every
restricted
rc=0
vtrl_wine 60 "$program" startup || rc=$?
assert_eq 0 "$rc" "the agent in Every mode"
reg_missing "$run_key" 'Bad Tool' || fail "Every: the restricted record is still there"
every_at=$(removed_at)
[[ -n $every_at ]] || fail "no backup entry after the Every pass"
uidriver wait-window Vantorel 20000 >/dev/null
assert_eq 'BADTOOL.EXE' "$(uidriver text Vantorel @Label2)" "the removal notice"
uidriver press Vantorel OK
uidriver wait-gone Vantorel 10000
[ -z "$(uidriver list vantorel.exe || true)" ] || fail "windows left after Every"

# From here on removals ring the sound only.
reg_set "$settings" NotifiWin REG_SZ NO

# "Once": the first start only notes the time; two days later a pass runs; at once again, none.
reg_set "$settings" SMode REG_SZ Once
restricted
vtrl_wine 60 "$program" startup
reg_get "$run_key" 'Bad Tool' >/dev/null || fail "Once: a pass ran on the first start"
[[ -n $(reg_get "$datakey" LAR) ]] || fail "Once: no LAR after the first start"
reg_set "$datakey" LAR REG_SZ "$(date -d '2 days ago' '+%-m/%-d/%Y %-I:%M:%S %p')"
sleep 1
vtrl_wine 60 "$program" startup
reg_missing "$run_key" 'Bad Tool' || fail "Once: no pass two days later"
once_at=$(removed_at)
[[ $once_at != "$every_at" ]] || fail "Once: the removal left no new backup entry"
assert_eq "$(date '+%-m/%-d/%Y')" "$(reg_get "$datakey" LAR | cut -d' ' -f1)" "LAR after the pass"
restricted
vtrl_wine 60 "$program" startup
reg_get "$run_key" 'Bad Tool' >/dev/null || fail "Once: a second pass on the same day"
assert_eq "$once_at" "$(removed_at)" "the backup entry after a start without a pass"

# Resident: the icon is there at once, the first pass comes after 30 seconds.
reg_delete "$settings" SMode
vtrl_start "$program" startup
pid=$VTRL_LAST_PID
started=$(date +%s)
for _ in $(seq 100); do
    [[ $(uidriver tray-icon "$agent" 2>/dev/null) == present ]] && break
    sleep 0.2
done
assert_eq present "$(uidriver tray-icon "$agent")" "the resident agent's tray icon"
# Read first, then searched: "grep -q" ending the pipe early would fail it under pipefail.
windows=$(uidriver list vantorel.exe)
grep -q $'\t'"$agent"$'\t0$' <<<"$windows" || fail "the agent's window is not hidden: $windows"
sleep 10
reg_get "$run_key" 'Bad Tool' >/dev/null || fail "resident: a pass ran at start"
for _ in $(seq 60); do
    reg_missing "$run_key" 'Bad Tool' && break
    sleep 1
done
reg_missing "$run_key" 'Bad Tool' || fail "resident: no pass within a minute"
elapsed=$(($(date +%s) - started))
((elapsed >= 28)) || fail "resident: the first pass came after $elapsed s"
[[ $(removed_at) != "$once_at" ]] || fail "resident: the removal left no new backup entry"
# Right button up, double click and a mouse move do nothing.
for message in 517 515 512; do
    uidriver tray-message "$agent" "$message"
done
sleep 2
kill -0 "$pid" 2>/dev/null || fail "the agent ended on a right or double click"
assert_eq present "$(uidriver tray-icon "$agent")" "the icon after other clicks"
# The left button released over the icon removes the icon - seen while the agent's window is
# still there, since the shell drops the icon of a destroyed window by itself - and ends the
# agent (and opens the manager).
click=$(uidriver tray-click "$agent") || true
assert_eq icon-gone-first "$click" "the icon after a left click, before the window went"
uidriver wait-gone "$agent" 10000
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$pid" 2>/dev/null && fail "the agent still runs after a left click"
# The manager the click opened closes any agent by its caption as it opens: the next agent may
# start only once it is up, or the manager, still loading, closes that one instead.
uidriver wait-window "$manager" 30000 >/dev/null || fail "the left click opened no manager window"
uidriver close "$manager"
uidriver wait-gone "$manager" 10000

# Hidden icon: no icon; closing by caption ends the agent.
reg_set "$settings" HideTrayIcon REG_SZ YES
vtrl_start "$program" startup
pid=$VTRL_LAST_PID
for _ in $(seq 100); do
    [[ $(uidriver list vantorel.exe) == *"$agent"* ]] && break
    sleep 0.2
done
assert_eq absent "$(uidriver tray-icon "$agent")" "the icon with HideTrayIcon"
uidriver close "$agent"
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.2; done
kill -0 "$pid" 2>/dev/null && fail "the agent still runs after WM_CLOSE"
true
