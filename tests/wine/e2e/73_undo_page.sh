#!/usr/bin/env bash
# The undo page on the real window: the list page's link fills it, the past-week box (checked at
# start) hides an entry removed eight days ago, a restore asks first and on Yes writes the
# record back, starts it and approves it, "ok" then restarts into a list that shows it, and
# "Clear list" deletes the log. Screenshots at 96 and 144 DPI, in English and in French.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=tests/wine/manager_window.sh
source "$(dirname "$0")/../manager_window.sh"

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
run_path='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
data=$(unix_path "$(vtrl_wine 30 "$VTRL_BIN/facts_probe.exe" | sed -n 's/^DataFolder=//p' | tr -d '\r')")
mkdir -p "$data" "$(drive_c)/vtrltest"
cp "$VTRL_BIN/version_none.exe" "$(drive_c)/vtrltest/tool.exe"
cp "$VTRL_BIN/version_none.exe" "$(drive_c)/vtrltest/keep.exe"
cp "$VTRL_BIN/version_none.exe" "$(drive_c)/vtrltest/old.exe"
reg_set "$run_key" Keep REG_SZ 'C:\vtrltest\keep.exe'
english=$VTRL_BIN/Languages/English.ini
text_of() { sed -n "s/^$1=//p" "$english" | tr -d '\r'; }

# Backup entries as the program writes them, in the prefix's date format (en-US).
old_at=@$(date -d '8 days ago' +%s)
recent_at=@$(date -d '1 hour ago' +%s)
entry() { # WHEN(date -d) VALUE EXE ARGUMENTS
    local when=$1 started="C:\\vtrltest\\$3${4:+ $4}"
    printf '%s\r\n' '==========================================================================' \
        "$(date -d "$when" '+%-m/%-d/%Y %-I:%M:%S %p')" "$(date -d "$when" '+%-d-%-m-%Y')" \
        "$(date -d "$when" '+%-H:%-M:%-S')" REGISTRY "$run_path\\$2" 'C:\vtrltest' "$3" "$4" \
        "$started"
}
{
    entry "$old_at" Old old.exe ''
    entry "$recent_at" Tool tool.exe -min
} >"$data/BackupAndLog.txt"
recent_line="$(date -d "$recent_at" '+%-m/%-d/%Y %-I:%M:%S %p') = TOOL.EXE -min"


open_window
row_of TOOL.EXE >/dev/null && fail "TOOL.EXE is listed before its restore"
uidriver click "$window" @Label22
uidriver wait-text "$window" @Deza\(4\) "$(text_of UNDODELETE)" 5000
[[ $(uidriver state "$window" @Check10) == *checked=1* ]] || fail "the past-week box starts unchecked"
assert_eq "$recent_line" "$(uidriver list-items "$window" @List1)" "the past week's list"
uidriver click "$window" @Check10
assert_eq 2 "$(uidriver list-items "$window" @List1 | wc -l)" "the whole list"
uidriver click "$window" @Check10
screenshot 73_undo_page.png

# A restore answered No changes nothing.
uidriver select-item "$window" @List1 "$recent_line"
uidriver click "$window" @Command8
message=$(uidriver msgbox-text Vantorel 10000)
# The question names the place it will write, then the command it will start.
expected="$(text_of AREYOUSUREUNDO)"$'\n\n'"$run_path"'\Tool'$'\n''C:\vtrltest\tool.exe -min'
[[ $message == "$expected"* ]] || fail "the restore question: $message"
uidriver press Vantorel No
reg_missing "$run_key" Tool || fail "No restored the record"

# Yes: written back, approved, told; "ok" restarts into a list with the record.
uidriver click "$window" @Command8
uidriver msgbox-text Vantorel 10000 >/dev/null
uidriver press Vantorel Yes
message=$(uidriver msgbox-text Vantorel 10000)
[[ $message == "$(text_of RESTORED)"* ]] || fail "after the restore: $message"
uidriver press Vantorel OK
assert_eq 'C:\vtrltest\tool.exe -min' "$(reg_get "$run_key" Tool)" "the restored value"
stored=$(tr -d '\r' <"$data/ActionsDB.txt" | sed -n '2,7p' | paste -sd'|')
assert_eq 'c:\vtrltest|tool.exe|-min|N|N|1' "$stored" "the restored record's decision"
assert_eq 2 "$(tr -d '\r' <"$data/BackupAndLog.txt" | grep -c '^=\{74\}$')" "entries after the restore"
uidriver click "$window" @Command7
wait "$pid"
uidriver wait-window "$window" 30000 >/dev/null
tool=$(row_of TOOL.EXE) || fail "the restarted list lacks TOOL.EXE"
assert_eq "$(text_of REC-OK)" "$(uidriver text "$window" "@BAinfo($tool)")" "the restored row"

# "Clear list": No keeps the log, Yes deletes it and empties the list.
uidriver click "$window" @Label22
uidriver click "$window" @Command9
[[ $(uidriver msgbox-text Vantorel 10000) == "$(text_of AREYOUSURE)"* ]] || fail "no clear question"
uidriver press Vantorel No
assert_file_exists "$data/BackupAndLog.txt" "the log after No"
uidriver click "$window" @Command9
uidriver msgbox-text Vantorel 10000 >/dev/null
uidriver press Vantorel Yes
for _ in $(seq 50); do [[ -f $data/BackupAndLog.txt ]] || break; sleep 0.1; done
assert_no_file "$data/BackupAndLog.txt" "the log after Clear list"
assert_eq "" "$(uidriver list-items "$window" @List1)" "the list after Clear list"
# An entry edited to write somewhere the scan never looks is refused, naming the place, before
# any question; nothing is written.
winlogon_key='HKCU\Software\Microsoft\Windows NT\CurrentVersion\Winlogon'
winlogon_path='HKEY_CURRENT_USER\Software\Microsoft\Windows NT\CurrentVersion\Winlogon'
run_path=$winlogon_path entry "$recent_at" VtrlShell tool.exe -min >"$data/BackupAndLog.txt"
uidriver click "$window" @Check10
uidriver click "$window" @Check10
uidriver select-item "$window" @List1 "$recent_line"
uidriver click "$window" @Command8
message=$(uidriver msgbox-text Vantorel 10000)
expected="$(text_of NOTRESTORABLE)"$'\n\n'"$winlogon_path"'\VtrlShell'
[[ $message == "$expected"* ]] || fail "the refusal: $message"
uidriver press Vantorel OK
reg_missing "$winlogon_key" VtrlShell || fail "the refused entry was written"
rm -f "$data/BackupAndLog.txt"
# Without a restore in this window "ok" only goes back to the list.
uidriver click "$window" @Command7
uidriver wait-text "$window" @Deza\(0\) "$(text_of MAIN1)" 5000
uidriver close "$window"
uidriver wait-gone "$window" 10000

# The page at 96 and 144 DPI, in English and in French, with both entries listed.
{
    entry "$old_at" Old old.exe ''
    entry "$recent_at" Tool tool.exe -min
} >"$data/BackupAndLog.txt"
for dpi in 96 144; do
    for language in English French; do
        reg_set "$settings" Language REG_SZ "$language"
        reg_set 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD "$dpi"
        vtrl_server_stop
        vtrl_server_start
        open_window
        uidriver click "$window" @Label22
        uidriver click "$window" @Check10
        uidriver select-item "$window" @List1 '#1'
        screenshot "73_undo_page_${language}_$dpi.png"
        uidriver close "$window"
        wait "$pid"
    done
done
