#!/usr/bin/env bash
# Without a Languages folder beside it the program says so in an error box, and when the box is
# closed the process ends without doing anything else: no mode runs, nothing is saved.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

app=$(drive_c)/vtrltest/nolang
mkdir -p "$app"
cp "$VTRL_BIN/vantorel.exe" "$app/"

vtrl_start "$app/vantorel.exe" updates
program=$VTRL_LAST_PID

assert_eq $'Languages not found! Reinstall program!\nbutton: OK' \
    "$(uidriver msgbox-text Vantorel 20000)" "the error box"
screenshot 40_languages_missing.png
uidriver press Vantorel OK

for _ in $(seq 100); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$program" 2>/dev/null; then
    fail "vantorel.exe is still running after the box was closed"
fi
[[ -z $(uidriver list vantorel.exe || true) ]] || fail "vantorel.exe still has windows"

settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
# "updates" would have stored the time and opened a link: it never ran.
reg_missing "$settings" 'Recent Update'
reg_missing "$settings" Language
assert_no_file "$VTRL_URL_LOG" "no link was opened"
