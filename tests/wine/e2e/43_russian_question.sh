#!/usr/bin/env bash
# A translation in its own code page: on a Russian system (ANSI code page 1251) the saved
# language Russian shows the update question in Cyrillic, read back through the UI driver.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
reg_set "$settings" Language REG_SZ Russian
# Wine takes the process's locale, and so its ANSI code page, from the Unix locale variables
# (bash may warn that the host itself has no such locale; Wine needs none).
russian() {
    LC_ALL=ru_RU.UTF-8 "$@"
}

# A first start stores the time the way this locale writes it; a date 75 days back is written
# the same way.
rc=0
russian vtrl_wine 30 "$VTRL_BIN/vantorel.exe" no-such-mode || rc=$?
assert_eq 0 "$rc" "the first start"
first=$(reg_get "$settings" 'Recent Update')
case $first in
*/*) format='+%-m/%-d/%Y %-I:%M:%S %p' ;;
*.*) format='+%d.%m.%Y %-H:%M:%S' ;;
*) fail "unexpected date '$first'" ;;
esac
stored=$(date -d '75 days ago' "$format")
reg_set "$settings" 'Recent Update' REG_SZ "$stored"

russian vtrl_start "$VTRL_BIN/vantorel.exe" no-such-mode
pid=$VTRL_LAST_PID
expected=$'Последняя проверка обновлений была 75 дн. назад.\n\nПроверить сейчас, нет ли новой версии Vantorel?'
text=$(uidriver msgbox-text Vantorel 20000)
screenshot 43_russian_question.png
uidriver press Vantorel '#7' # IDNO, whatever the button's language
wait "$pid" || true
[[ $text == "$expected"$'\nbutton: '* ]] || fail "the question read '$text'"
assert_eq "$stored" "$(reg_get "$settings" 'Recent Update')" "the date after No"
