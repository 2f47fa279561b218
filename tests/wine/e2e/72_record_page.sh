#!/usr/bin/env bash
# The record page on the real window: a row opens it with the record's name, the decision
# options and their two boxes behave as one group, "Ok" stores the choice and the list shows
# it, the links open the web search, the folder and the file's properties dialog, and "Just for
# now" removes the record with a backup, says so and restarts into a list without it.
# Screenshots at 96 and 144 DPI, in English and in French (the longest captions here).
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=tests/wine/manager_window.sh
source "$(dirname "$0")/../manager_window.sh"

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
data=$(unix_path "$(vtrl_wine 30 "$VTRL_BIN/facts_probe.exe" | sed -n 's/^DataFolder=//p' | tr -d '\r')")
mkdir -p "$data" "$(drive_c)/vtrltest"
# Programs that end at once when something starts them.
cp "$VTRL_BIN/version_none.exe" "$(drive_c)/vtrltest/tool.exe"
cp "$VTRL_BIN/version_none.exe" "$(drive_c)/vtrltest/other.exe"
reg_set "$run_key" Tool REG_SZ 'C:\vtrltest\tool.exe -min'
reg_set "$run_key" Other REG_SZ 'C:\vtrltest\other.exe'
english=$VTRL_BIN/Languages/English.ini
text_of() { sed -n "s/^$1=//p" "$english" | tr -d '\r'; }


open_window
tool=$(row_of TOOL.EXE) || fail "no row for TOOL.EXE"
other=$(row_of OTHER.EXE) || fail "no row for OTHER.EXE"
assert_eq "$(text_of REC-UNKNOWN)" "$(uidriver text "$window" "@BAinfo($tool)")" "status before"

# The page for tool.exe: nothing decided, both boxes off.
uidriver click "$window" "@BAexe($tool)"
uidriver wait-text "$window" @Label1 TOOL.EXE 5000
checked Option1 || fail "an undecided record opens without Option1"
! enabled Check3 || fail "Check3 is enabled without a restriction"
! enabled Check4 || fail "Check4 is enabled without a restriction"
uidriver click "$window" @Option3
enabled Check3 || fail "Restricted: did not enable Check3"
checked Option1 && fail "Option1 stayed selected beside Option3"
uidriver click "$window" @Check3
uidriver click "$window" @Option2
! checked Check3 || fail "approving kept Check3"
! enabled Check3 || fail "approving left Check3 enabled"
uidriver click "$window" @Option3
uidriver click "$window" @Check3
screenshot 72_record_page.png

# The links: the web search, the folder, the properties dialog.
rm -f "$VTRL_URL_LOG"
uidriver click "$window" @Label6
for _ in $(seq 50); do [[ -s $VTRL_URL_LOG ]] && break; sleep 0.1; done
grep -q 'search?q=What is TOOL.EXE' "$VTRL_URL_LOG" || fail "web search: $(cat "$VTRL_URL_LOG" 2>/dev/null)"
uidriver click "$window" @Label4
uidriver wait-window 'Properties for tool.exe' 10000 >/dev/null
screenshot 72_file_properties.png
uidriver press 'Properties for tool.exe' Cancel
uidriver wait-gone 'Properties for tool.exe' 10000

# "Ok": the choice is stored and the list shows it.
uidriver click "$window" @Command1
uidriver wait-text "$window" "@BAinfo($tool)" "$(text_of REC-BLACK)" 5000
grep -q '^tool\.exe' <(tr -d '\r' <"$data/ActionsDB.txt") || fail "tool.exe is not in ActionsDB.txt"
stored=$(tr -d '\r' <"$data/ActionsDB.txt" | sed -n '2,7p' | paste -sd'|')
assert_eq 'c:\vtrltest|tool.exe|-min|N|Y|2' "$stored" "the stored decision"
reg_get "$run_key" Tool >/dev/null || fail "Ok removed the record at once"
# Reopened, the page shows the stored restriction.
uidriver click "$window" "@BAexe($tool)"
uidriver wait-text "$window" @Label1 TOOL.EXE 5000
checked Option3 || fail "the restricted record opens without Option3"
checked Check3 || fail "the delete flag is not shown"
! checked Check4 || fail "the shut-down flag is shown though not stored"
uidriver click "$window" @Command1

# "Just for now" on other.exe: removed with a backup, told, and a fresh window without it.
uidriver click "$window" "@BAexe($other)"
uidriver wait-text "$window" @Label1 OTHER.EXE 5000
uidriver click "$window" @Option9
uidriver click "$window" @Command1
message=$(uidriver msgbox-text Vantorel 10000)
if [[ $message == "$(text_of NOTADMIN)"* ]]; then
    uidriver press Vantorel OK
    message=$(uidriver msgbox-text Vantorel 10000)
fi
[[ $message == "$(text_of DELETED)"* ]] || fail "after Just for now: $message"
uidriver press Vantorel OK
wait "$pid"
reg_missing "$run_key" Other || fail "Just for now left the record"
grep -q '^HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Other' \
    <(tr -d '\r' <"$data/BackupAndLog.txt") || fail "no backup entry for Other"
uidriver wait-window "$window" 30000 >/dev/null
row_of TOOL.EXE >/dev/null || fail "the restarted list lacks TOOL.EXE"
row_of OTHER.EXE >/dev/null && fail "the restarted list still shows OTHER.EXE"
uidriver close "$window"
uidriver wait-gone "$window" 10000

# The page at 96 and 144 DPI, in English and in French.
shoot() { # LANGUAGE DPI
    reg_set "$settings" Language REG_SZ "$1"
    reg_set 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD "$2"
    vtrl_server_stop
    vtrl_server_start
    open_window
    local row
    # A missing row says what was on the screen: the program's windows and the rows shown.
    row=$(row_of TOOL.EXE) || {
        screenshot "72_no_row_${1}_$2.png"
        fail "no row for TOOL.EXE in $1 at $2 DPI; windows: $(uidriver list vantorel.exe 2>&1);" \
            "rows: $(uidriver visible-texts "$window" BA 2>&1)"
    }
    uidriver click "$window" "@BAexe($row)"
    uidriver wait-text "$window" @Label1 TOOL.EXE 5000
    screenshot "72_record_page_${1}_$2.png"
    close_window
}
for dpi in 96 144; do
    for language in English French; do
        shoot "$language" "$dpi"
    done
done
