#!/usr/bin/env bash
# The settings page on the real window: a fresh profile's defaults, the agent box enabling its
# options, and "apply" storing the settings and writing, then deleting, the autostart shortcut.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=tests/wine/manager_window.sh
source "$(dirname "$0")/../manager_window.sh"

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
mkdir -p "$(drive_c)/vtrltest"
cp "$VTRL_BIN/version_full.exe" "$(drive_c)/vtrltest/tool.exe"
reg_set "$run_key" Tool REG_SZ 'C:\vtrltest\tool.exe'
appdata=$(win_env APPDATA)
startup=$(unix_path "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Startup")
shortcut=$startup/Vantorel.lnk


vtrl_start "$program"
pid=$VTRL_LAST_PID
uidriver wait-window "$window" 30000 >/dev/null
uidriver click "$window" @Label20
for box in Check5 Check6 Check9 Option6; do
    checked "$box" || fail "$box is not set on a fresh profile"
done
for box in Check7 Check8 Check11 Option4 Option5; do
    checked "$box" && fail "$box is set on a fresh profile"
done
enabled Option4 && fail "the mode options are usable without the agent box"
screenshot 71_settings_page.png

uidriver click "$window" @Check7
enabled Option4 || fail "checking the agent box left its options disabled"
uidriver click "$window" @Check5
uidriver click "$window" @Check8
uidriver click "$window" @Option4
uidriver click "$window" @Command3
assert_eq NO "$(reg_get "$settings" Sound)" "Sound after clearing its box"
assert_eq YES "$(reg_get "$settings" HideTrayIcon)" "HideTrayIcon after checking its box"
assert_eq Once "$(reg_get "$settings" SMode)" "SMode for the once-a-day option"
assert_file_exists "$shortcut" "the autostart shortcut"

uidriver click "$window" @Label20
checked Check7 || fail "the agent box is cleared although its shortcut exists"
uidriver click "$window" @Check7
uidriver click "$window" @Command3
assert_no_file "$shortcut" "the autostart shortcut after clearing the agent box"
assert_eq Once "$(reg_get "$settings" SMode)" "SMode after clearing the agent box"
uidriver close "$window"
uidriver wait-gone "$window" 10000
wait "$pid"
