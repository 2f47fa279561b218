#!/usr/bin/env bash
# The update question: not on the first start, not at 60 days, asked at 61 days in any mode.
# No leaves the date alone; Yes opens the updates page and starts the count again. The
# "updates" mode does the same without asking.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
program=$VTRL_BIN/vantorel.exe
question=$'Your last check for updates was 61 days ago.\n\nWould you like to check for a new version of Vantorel now?'

# The first start stores the time in the prefix's general date format and asks nothing (a box
# would keep the process alive until the timeout).
rc=0
vtrl_wine 30 "$program" no-such-mode || rc=$?
assert_eq 0 "$rc" "first start"
first=$(reg_get "$settings" 'Recent Update')
# This prefix formats dates as M/d/yyyy h:mm:ss AM|PM; the stored dates below are written so.
[[ $first =~ ^[0-9]{1,2}/[0-9]{1,2}/[0-9]{4}\ [0-9]{1,2}:[0-9]{2}:[0-9]{2}\ (AM|PM)$ ]] ||
    fail "unexpected date format '$first'"
assert_eq "$(date '+%-m/%-d/%Y')" "${first%% *}" "the first start's date"
assert_eq English "$(reg_get "$settings" Language)" "the first start's language"

days_ago() {
    date -d "$1 days ago" '+%-m/%-d/%Y %-I:%M:%S %p'
}

# 60 days: no question.
sixty=$(days_ago 60)
reg_set "$settings" 'Recent Update' REG_SZ "$sixty"
rc=0
vtrl_wine 30 "$program" no-such-mode || rc=$?
assert_eq 0 "$rc" "a start at 60 days"
assert_eq "$sixty" "$(reg_get "$settings" 'Recent Update')" "the date at 60 days"

# 61 days: asked, in whatever mode; No stores nothing and opens nothing.
sixtyone=$(days_ago 61)
reg_set "$settings" 'Recent Update' REG_SZ "$sixtyone"
vtrl_start "$program" startup-not-a-mode
pid=$VTRL_LAST_PID
assert_eq "$question"$'\nbutton: Yes\nbutton: No' "$(uidriver msgbox-text Vantorel 20000)" \
    "the question at 61 days"
screenshot 42_update_question.png
uidriver press Vantorel No
uidriver wait-gone Vantorel 10000
wait "$pid" || true
assert_eq "$sixtyone" "$(reg_get "$settings" 'Recent Update')" "the date after No"
assert_no_file "$VTRL_URL_LOG" "a link opened after No"

# Asked again at the next start; Yes opens the updates page and resets the date.
vtrl_start "$program" no-such-mode
pid=$VTRL_LAST_PID
assert_eq "$question"$'\nbutton: Yes\nbutton: No' "$(uidriver msgbox-text Vantorel 20000)" \
    "the question again"
uidriver press Vantorel Yes
uidriver wait-gone Vantorel 10000
wait "$pid" || true
reset=$(reg_get "$settings" 'Recent Update')
assert_eq "$(date '+%-m/%-d/%Y')" "${reset%% *}" "the date after Yes"
for _ in $(seq 100); do
    [[ -s $VTRL_URL_LOG ]] && break
    sleep 0.1
done
link=$(tr -d '\r' <"$VTRL_URL_LOG")
[[ $link =~ ^https://www\.vantorel\.example/check\.php\?scn=VTRL\&to=updates\&version=1\.00\&country=[^\&]+\&pcid=[0-9A-F]{16}\&language=English$ ]] ||
    fail "the updates link was '$link'"

# The "updates" mode: no question (the count was just reset), the date stored, the page open.
reg_set "$settings" 'Recent Update' REG_SZ "$(days_ago 3)"
rc=0
vtrl_wine 30 "$program" updates || rc=$?
assert_eq 0 "$rc" "updates mode"
stored=$(reg_get "$settings" 'Recent Update')
assert_eq "$(date '+%-m/%-d/%Y')" "${stored%% *}" "the date after the updates mode"
for _ in $(seq 100); do
    [[ $(wc -l <"$VTRL_URL_LOG") -ge 2 ]] && break
    sleep 0.1
done
assert_eq "$link" "$(tr -d '\r' <"$VTRL_URL_LOG" | sed -n 2p)" "the updates mode's link"
