#!/usr/bin/env bash
# Undo puts back exactly what the real program removed: a REG_EXPAND_SZ value in mixed case
# with %ProgramFiles% in the user's Run key and one in the machine's 32-bit view are removed by a
# check pass (restricted, delete), each with its exact copy in the data folder's "Backups"; the
# undo page restores both with their type and data, the second into the 32-bit view only.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=tests/wine/manager_window.sh
source "$(dirname "$0")/../manager_window.sh"

user_run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
machine_run='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
data=$(vtrl_data_folder)
out=$VTRL_CASE_DIR

programs="$(drive_c)/Program Files/Vtrl Mixed"
mkdir -p "$programs"
cp "$VTRL_BIN/version_none.exe" "$programs/Tool.EXE"
cp "$VTRL_BIN/version_none.exe" "$programs/Tool32.EXE"
# A record that stays, so that the list page (and its link to the undo page) is shown.
mkdir -p "$(drive_c)/vtrltest"
cp "$VTRL_BIN/version_none.exe" "$(drive_c)/vtrltest/keep.exe"
reg_set "$user_run" Keep REG_SZ 'C:\vtrltest\keep.exe'
user_command='"%ProgramFiles%\Vtrl Mixed\Tool.EXE"'
machine_command='"%ProgramFiles%\Vtrl Mixed\Tool32.EXE"'
reg_set "$user_run" 'Mixed Tool' REG_EXPAND_SZ "$user_command"
vtrl_wine 30 reg add "$machine_run" /v 'Mixed Tool32' /t REG_EXPAND_SZ /d "$machine_command" \
    /f /reg:32 >/dev/null 2>&1 || fail "cannot write the 32-bit value"

# query KEY NAME [/reg:32]: "TYPE DATA" of the value as reg.exe shows it in that view.
query() {
    local rc=0 listing
    listing=$(vtrl_wine 30 reg query "$1" /v "$2" "${@:3}" 2>/dev/null | tr -d '\r') || rc=$?
    [[ $rc == 0 ]] || return 1
    sed -n "s/^ *$2 \{4\}\(REG_[A-Z_]*\) \{4\}\(.*\)$/\1 \2/p" <<<"$listing"
}
assert_eq "REG_EXPAND_SZ $machine_command" "$(query "$machine_run" 'Mixed Tool32' /reg:32)" \
    "the 32-bit value as written"
query "$machine_run" 'Mixed Tool32' /reg:64 >/dev/null && fail "the 32-bit value shows in the 64-bit view"

crlf() { printf '%s\r\n' "$@"; }
{
    crlf "" 'c:\program files\vtrl mixed' 'tool.exe' '' N Y 2 "" "" "" ""
    crlf "" 'c:\program files\vtrl mixed' 'tool32.exe' '' N Y 2 "" "" "" ""
} >"$data/ActionsDB.txt"
reg_set "$settings" SMode REG_SZ Every
reg_set "$settings" NotifiWin REG_SZ NO
reg_set "$settings" Sound REG_SZ NO
reg_set "$settings" Unknown REG_SZ NO

rc=0
vtrl_wine 90 "$program" startup >"$out/pass.out" 2>&1 || rc=$?
assert_eq 0 "$rc" "exit code of the check pass"
assert_no_crash "the check pass" "$out/pass.out"
reg_missing "$user_run" 'Mixed Tool' || fail "the pass kept the user's value"
query "$machine_run" 'Mixed Tool32' /reg:32 >/dev/null && fail "the pass kept the 32-bit value"
assert_eq 2 "$(tr -d '\r' <"$data/BackupAndLog.txt" | grep -c '^=\{74\}$')" "log entries"
assert_eq 2 "$(find "$data/Backups" -maxdepth 1 -name '*.bin' | wc -l)" "exact copies"

# Restore both from the undo page.
restore_every_undo_line
assert_eq 2 "$undo_lines" "lines on the undo page"

assert_eq "REG_EXPAND_SZ $user_command" "$(query "$user_run" 'Mixed Tool')" "the user's value"
assert_eq "REG_EXPAND_SZ $machine_command" "$(query "$machine_run" 'Mixed Tool32' /reg:32)" \
    "the 32-bit value"
query "$machine_run" 'Mixed Tool32' /reg:64 >/dev/null &&
    fail "the restore wrote into the 64-bit view"
exit 0
