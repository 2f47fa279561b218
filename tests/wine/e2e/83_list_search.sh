#!/usr/bin/env bash
# The startup list with 20 records of varied kinds (Run and RunOnce values of the user and the
# machine, shortcuts in both Startup folders, programs with and without version facts, a running
# one, a missing one, an unquoted path another program can hijack): each row says what the
# program is - its description or file name, its publisher and place beneath, its markers.
# Typing into the search box with real key presses narrows the rows to the matching records,
# Enter opens the one shown, and a sort link orders them by publisher. Screenshots at 96 and
# 144 DPI.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=tests/wine/manager_window.sh
source "$(dirname "$0")/../manager_window.sh"

needs_xdotool
english=$VTRL_BIN/Languages/English.ini
text_of() { sed -n "s/^$1=//p" "$english" | tr -d '\r'; }
run_tail='Software\Microsoft\Windows\CurrentVersion'
dir=$(drive_c)/vtrlsearch
mkdir -p "$dir" "$(drive_c)/Vtrl Search"
for name in alpha bravo charlie delta echo foxtrot golf hotel india juliet kilo lima mike; do
    cp "$VTRL_BIN/version_none.exe" "$dir/$name.exe"
done
cp "$VTRL_BIN/version_full.exe" "$dir/acme.exe"
cp "$VTRL_BIN/version_full.exe" "$dir/acme2.exe"
cp "$VTRL_BIN/version_full.exe" "$dir/running.exe"
cp "$VTRL_BIN/version_two_tables.exe" "$dir/vendor.exe"
cp "$VTRL_BIN/version_empty_company.exe" "$dir/nocompany.exe"
# "C:\Vtrl Search\app.exe" unquoted: Windows tries C:\Vtrl.exe first, and it exists.
cp "$VTRL_BIN/version_none.exe" "$(drive_c)/Vtrl Search/app.exe"
cp "$VTRL_BIN/version_none.exe" "$(drive_c)/Vtrl.exe"

for name in alpha bravo charlie delta echo; do
    reg_set "HKCU\\$run_tail\\Run" "Vtrl $name" REG_SZ "C:\\vtrlsearch\\$name.exe"
done
reg_set "HKCU\\$run_tail\\Run" 'Vtrl Acme' REG_SZ '"C:\vtrlsearch\acme.exe" /tray'
reg_set "HKCU\\$run_tail\\Run" 'Vtrl Running' REG_SZ 'C:\vtrlsearch\running.exe wait'
reg_set "HKCU\\$run_tail\\Run" 'Vtrl Missing' REG_SZ 'C:\vtrlsearch\missing.exe -quiet'
reg_set "HKCU\\$run_tail\\Run" 'Vtrl Vendor' REG_SZ 'C:\vtrlsearch\vendor.exe'
reg_set "HKCU\\$run_tail\\Run" 'Vtrl NoCompany' REG_SZ 'C:\vtrlsearch\nocompany.exe'
reg_set "HKCU\\$run_tail\\Run" 'Vtrl Hijack' REG_SZ 'C:\Vtrl Search\app.exe'
reg_set "HKCU\\$run_tail\\RunOnce" 'Vtrl india' REG_SZ 'C:\vtrlsearch\india.exe'
for name in foxtrot golf hotel; do
    reg_set "HKLM\\$run_tail\\Run" "Vtrl $name" REG_SZ "C:\\vtrlsearch\\$name.exe"
done
reg_set "HKLM\\$run_tail\\Run" 'Vtrl Acme2' REG_SZ 'C:\vtrlsearch\acme2.exe'
reg_set "HKLM\\$run_tail\\RunOnce" 'Vtrl lima' REG_SZ 'C:\vtrlsearch\lima.exe'
reg_set "HKLM\\$run_tail\\RunOnce" 'Vtrl mike' REG_SZ 'C:\vtrlsearch\mike.exe'
appdata=$(win_env APPDATA)
user_startup="$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"
common_startup='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\StartUp'
vtrl_wine 30 "$VTRL_BIN/make_shortcut.exe" "$user_startup\\Vtrl Juliet.lnk" \
    'C:\vtrlsearch\juliet.exe' || fail "cannot write the user's shortcut"
vtrl_wine 30 "$VTRL_BIN/make_shortcut.exe" "$common_startup\\Vtrl Kilo.lnk" \
    'C:\vtrlsearch\kilo.exe' || fail "cannot write the all-users shortcut"

vtrl_start "$dir/running.exe" wait
for _ in $(seq 50); do
    vtrl_wine 30 cmd /c tasklist 2>/dev/null | tr -d '\r' | grep -qi '^running.exe' && break
    sleep 0.2
done

# The names of the rows shown now (visible rows only), one per line.
shown_rows() { uidriver visible-texts "$window" 'BAexe('; }
# wait_rows EXPECTED: waits until the rows shown are exactly these (newline-separated).
wait_rows() {
    local now
    for _ in $(seq 50); do
        now=$(shown_rows) || fail "the window is gone"
        [[ $now == "$1" ]] && return 0
        sleep 0.1
    done
    fail "the rows shown are not as expected"$'\n'"  expected: ${1//$'\n'/ | }"$'\n'"  actual:   ${now//$'\n'/ | }"
}

open_window
assert_eq 1 "$(control_state VScroll visible)" "20 records scroll"
# The first rows are the user's Run values in the order Wine lists them (by name).
first=$(uidriver text "$window" '@BAexe(0)')
[[ -n $first ]] || fail "the first row is empty"
sleep 1 # the picture only: the icons drawn after the first paint come in
# The pointer rests in the middle of the screen: the row under it shows its command line.
screenshot 83_list_search_96.png

# Alt and the search label's letter put the caret into the box; typing narrows as it goes.
label=$(uidriver text "$window" @LabelSearch)
letter=$(sed -n 's/.*&\(.\).*/\1/p' <<<"$label" | tr '[:upper:]' '[:lower:]')
[[ -n $letter ]] || fail "the search label has no access key: $label"
xdotool key --delay 150 "alt+$letter"
xdotool type --delay 120 acme
acme='Acme Startup Helper'
wait_rows "$acme"$'\n'"$acme"$'\n'"$acme"
assert_eq 0 "$(control_state VScroll visible)" "three matches do not scroll"
place=$(uidriver text "$window" '@BAplace(0)')
[[ $place == "Acme Tools Ltd · "* ]] || fail "the publisher line: $place"
running_marks=0
for slot in 0 1 2; do
    [[ $(uidriver text "$window" "@BAmark($slot)") == "$(text_of MARK-RUNNING)" ]] &&
        running_marks=$((running_marks + 1))
done
assert_eq 1 "$running_marks" "one of the three is running"
screenshot 83_list_search_acme.png

# The search looks into the command line too, and a query nothing holds shows no row.
keys BackSpace BackSpace BackSpace BackSpace
xdotool type --delay 120 -- '-quiet'
wait_rows 'MISSING.EXE'
assert_eq "$(text_of REC-NOTFOUND)" "$(uidriver text "$window" '@BAinfo(0)')" "the missing program's status"
xdotool key --delay 150 "alt+$letter"
xdotool type --delay 120 zzzz
wait_rows ''
assert_eq 1 "$(control_state ListEmpty visible)" "the no-match line"
assert_eq "$(text_of LIST-NOMATCH)" "$(uidriver text "$window" @ListEmpty)" "the no-match text"

# One match: Enter opens it.
xdotool key --delay 150 "alt+$letter"
xdotool type --delay 120 golf
wait_rows 'GOLF.EXE'
keys Return
uidriver wait-text "$window" @Label1 GOLF.EXE 5000 || fail "Enter did not open GOLF.EXE"
keys Escape
for _ in $(seq 50); do [[ $(control_state "Deza(0)" visible) == 1 ]] && break; sleep 0.1; done
wait_rows 'GOLF.EXE'

# The hijackable path says so in its marker; the row names the program Windows would start. The
# label's access key selects the box's text, so that typing replaces it.
xdotool key --delay 150 "alt+$letter"
xdotool type --delay 120 'vtrl search'
wait_rows 'VTRL.EXE'
assert_eq "$(text_of MARK-HIJACK)" "$(uidriver text "$window" '@BAmark(0)')" "the hijack marker"

# Emptied, the box shows all twenty again; sorted by publisher, Acme's three come first.
xdotool key --delay 150 "alt+$letter" BackSpace
for _ in $(seq 50); do [[ $(control_state VScroll visible) == 1 ]] && break; sleep 0.1; done
assert_eq 1 "$(control_state VScroll visible)" "all twenty again"
uidriver click "$window" @SortPublisher
for _ in $(seq 50); do
    [[ $(shown_rows | head -3) == "$acme"$'\n'"$acme"$'\n'"$acme" ]] && break
    sleep 0.1
done
assert_eq "$acme"$'\n'"$acme"$'\n'"$acme" "$(shown_rows | head -3)" "Acme Tools Ltd first"
[[ $(uidriver text "$window" '@BAexe(3)') != "$acme" ]] || fail "a fourth Acme row"
close_window

# The list at 144 DPI: the rows keep their layout.
reg_set 'HKCU\Control Panel\Desktop' LogPixels REG_DWORD 144
vtrl_server_stop
vtrl_server_start
vtrl_start "$dir/running.exe" wait
open_window
uidriver text "$window" '@BAplace(0)' >/dev/null
sleep 1 # the picture only: the rows finish painting
screenshot 83_list_search_144.png
close_window
