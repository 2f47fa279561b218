#!/usr/bin/env bash
# The create page on the real window: the open-file dialog answered through its name box, the
# fields it fills, and "create" writing the shortcut and restarting into a list that shows it.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=tests/wine/manager_window.sh
source "$(dirname "$0")/../manager_window.sh"

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
mkdir -p "$(drive_c)/vtrltest"
cp "$VTRL_BIN/version_none.exe" "$(drive_c)/vtrltest/tool.exe"
cp "$VTRL_BIN/version_none.exe" "$(drive_c)/vtrltest/my.own.exe"
reg_set "$run_key" Tool REG_SZ 'C:\vtrltest\tool.exe'
appdata=$(win_env APPDATA)
startup=$(unix_path "$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Startup")

vtrl_start "$program"
pid=$VTRL_LAST_PID
uidriver wait-window "$window" 30000 >/dev/null
uidriver click "$window" @Label23
# The dialog is modal: its "Vantorel" caption differs from the window's.
uidriver click "$window" @Command16 &
clicker=$!
uidriver wait-window Vantorel 20000 >/dev/null
uidriver set-text Vantorel '#1148' 'C:\vtrltest\my.own.exe'
uidriver press Vantorel '&Open'
wait "$clicker" || true
uidriver wait-text "$window" @Text4 my.own.exe 10000 >/dev/null
assert_eq 'C:\vtrltest\my.own.exe' "$(uidriver text "$window" @Text1)" "the location"
assert_eq 'C:\vtrltest\' "$(uidriver text "$window" @Text3)" "the working folder"
screenshot 75_create_page.png

uidriver click "$window" @Command17
uidriver msgbox-text Vantorel 10000 >/dev/null
uidriver press Vantorel OK
wait "$pid"
assert_file_exists "$startup/my.own.lnk" "the new shortcut"
uidriver wait-window "$window" 30000 >/dev/null
found=0
for ((i = 0; i < 40; i++)); do
    name=$(uidriver text "$window" "@BAexe($i)" 2>/dev/null) || break
    [[ $name == MY.OWN.EXE ]] && found=1
done
assert_eq 1 "$found" "the restarted list shows the new record"
uidriver close "$window"
uidriver wait-gone "$window" 10000
