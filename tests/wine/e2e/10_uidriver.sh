#!/usr/bin/env bash
# The UI driver against real windows: the fixture's controls are read, changed and clicked
# from outside, and the fixture's own log shows that every click really arrived - and that
# the disabled button was not clicked.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"

main='Vantorel UI Fixture'
question='UI Fixture Question'
log_win="$VTRL_TEST_DIR_WIN\\ui_fixture.log"
log=$(drive_c)/vtrltest/ui_fixture.log
# Characters outside every ANSI code page, to prove the text goes both ways in full.
typed='héllo wörld ✓ 日本'

vtrl_start "$VTRL_BIN/ui_fixture.exe" "$log_win"
fixture_pid=$VTRL_LAST_PID

handle=$(uidriver wait-window "$main" 10000)
[[ $handle =~ ^0x[0-9A-F]+$ ]] || fail "wait-window printed '$handle', not a handle"

# Reading and setting texts.
assert_eq 'Status: ready' "$(uidriver text "$main" '#1005')" "label text by ID"
assert_eq 'initial' "$(uidriver text "$main" '#1006')" "edit text by ID"
uidriver set-text "$main" '#1006' "$typed"
assert_eq "$typed" "$(uidriver text "$main" '#1006')" "edit text after set-text"

# Check box and option buttons, by caption with and without the accelerator.
assert_eq 'checked=0 visible=1 enabled=1' "$(uidriver state "$main" Remember)" "check box before"
uidriver click "$main" '&Remember'
assert_eq 'checked=1 visible=1 enabled=1' "$(uidriver state "$main" Remember)" "check box after"
assert_eq 'checked=1 visible=1 enabled=1' "$(uidriver state "$main" 'Option A')" "option A before"
uidriver click "$main" 'Option B'
assert_eq 'checked=1 visible=1 enabled=1' "$(uidriver state "$main" '#1004')" "option B after"
assert_eq 'checked=0 visible=1 enabled=1' "$(uidriver state "$main" 'Option A')" "option A after"

# Hidden and disabled controls are reported as such, and a disabled button is not pressed.
assert_eq 'checked=0 visible=0 enabled=1' "$(uidriver state "$main" 'Hidden option')" "hidden"
assert_eq 'checked=0 visible=1 enabled=0' "$(uidriver state "$main" Locked)" "disabled"
rc=0
uidriver press "$main" Locked || rc=$?
assert_eq 1 "$rc" "press on a disabled button"

# The list box, including a non-ASCII item.
assert_eq $'alpha\nbeta\ngamma\nÜnïcödé' "$(uidriver list-items "$main" '#1007')" "list items"
uidriver select-item "$main" '#1007' beta

# A label gets a real mouse click at its centre.
uidriver click "$main" '#1005'
uidriver wait-text "$main" '#1005' 'Label clicked' 3000

# The button opens a message box; its text and buttons are read, then "No" is pressed.
uidriver press "$main" Ask
expected=$'Save the changes?\nbutton: Yes\nbutton: No'
assert_eq "$expected" "$(uidriver msgbox-text "$question" 5000)" "message box by caption"
assert_eq "$expected" "$(uidriver msgbox-text "" 5000)" "any message box"
screenshot 10_uidriver.png
uidriver press "$question" No
uidriver wait-gone "$question" 5000
uidriver wait-text "$main" '#1005' 'Answer: No' 3000

# Again, pressing "Yes" by its control ID (IDYES = 6).
uidriver press "$main" '#1001'
uidriver msgbox-text "$question" 5000 >/dev/null
uidriver press "$question" '#6'
uidriver wait-text "$main" '#1005' 'Answer: Yes' 3000

# The fixture's windows by executable name, in any case; other names list nothing.
windows=$(uidriver list UI_Fixture.EXE)
grep -qP "^$handle\t[0-9]+\tVantorelUiFixture\t$main\t1$" <<<"$windows" ||
    fail "list did not show the main window: $windows"
assert_eq '' "$(uidriver list no_such_program.exe)" "list of an absent program"

# What is not there: exit 1, quickly when a timeout is given; usage errors exit 2.
rc=0
uidriver wait-window 'No Such Window' 200 || rc=$?
assert_eq 1 "$rc" "wait-window on a missing window"
rc=0
uidriver wait-gone "$main" 200 || rc=$?
assert_eq 1 "$rc" "wait-gone on a window that stays"
rc=0
uidriver frobnicate || rc=$?
assert_eq 2 "$rc" "unknown command"
rc=0
uidriver press "$main" || rc=$?
assert_eq 2 "$rc" "missing argument"

uidriver close "$main"
uidriver wait-gone "$main" 5000
wait "$fixture_pid" || fail "the fixture exited with an error"

expected_log="start
edit=$typed
checkbox=1
option=B
list=beta
label
ask
answer=no
ask
answer=yes
close checkbox=1 option=B edit=$typed"
assert_eq "$expected_log" "$(tr -d '\r' <"$log")" "what the fixture saw"
