#!/usr/bin/env bash
# The popup notices started by the check pass: "notifi<file>" shows a removal notice and
# "switchedoff<file>" a switch-off notice, both without the manager button, "unknown<file>" a
# new-record notice with it and a "Remind" time; all read and delete their hand-off file in the
# data folder, slide down to the top edge, end their process when closed (Escape closes them as
# "Ok"), and with "AutoClose" close by themselves.
# Names of another shape than the writer's digits-only ones (paths, the data files themselves)
# show nothing and delete nothing.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

program=$VTRL_BIN/vantorel.exe
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
remind='HKCU\Software\VB and VBA Program Settings\VTRL\Remind'
data=$(unix_path "$(vtrl_wine 30 "$VTRL_BIN/facts_probe.exe" | sed -n 's/^DataFolder=//p' | tr -d '\r')")
mkdir -p "$data"
english=$VTRL_BIN/Languages/English.ini
notify_del=$(sed -n 's/^NOTIFY-DEL=//p' "$english" | tr -d '\r')
notify_new=$(sed -n 's/^NOTIFY-NEW=//p' "$english" | tr -d '\r')
notify_off=$(sed -n 's/^NOTIFY-SWITCHOFF=//p' "$english" | tr -d '\r')

hand_off() { # NAME FOLDER EXE
    printf '%s\r\n%s\r\n' "$2" "$3" >"$data/$1"
}


# A removal notice.
hand_off 1001 'C:\windows\system32' notepad.exe
vtrl_start "$program" notifi1001
pid=$VTRL_LAST_PID
uidriver wait-window Vantorel 20000 >/dev/null
assert_eq "$notify_del" "$(uidriver text Vantorel @Label3)" "the removal notice's text"
assert_eq 'NOTEPAD.EXE' "$(uidriver text Vantorel @Label2)" "the executable's name"
assert_eq 'C:\windows\system32' "$(uidriver text Vantorel @Label1)" "the executable's folder"
[[ $(uidriver state Vantorel @Command2) == *visible=0* ]] || fail "the removal notice shows the manager button"
assert_no_file "$data/1001" "the hand-off file after reading"
# It slides down to the screen's top edge.
for _ in $(seq 50); do
    geometry=$(uidriver rect Vantorel)
    [[ $geometry == *" 0 400 150" ]] && break
    sleep 0.1
done
# Its right edge half a popup's width away from the screen's right edge.
screen_width=$(xdpyinfo -display "$DISPLAY" | awk '/dimensions:/ {split($2, size, "x"); print size[1]}')
assert_eq "$((screen_width - 600)) 0 400 150" "$geometry" "the popup's place"
screenshot 60_removal_notice.png
uidriver press Vantorel OK
uidriver wait-gone Vantorel 10000
wait "$pid"
reg_missing "$remind" notepad.exe || fail "a removal notice stored a reminder time"

# A switch-off notice ("switchedoff<file>"): its own text, no manager button, no reminder time.
hand_off 1004 'C:\windows\system32' write.exe
vtrl_start "$program" switchedoff1004
pid=$VTRL_LAST_PID
uidriver wait-window Vantorel 20000 >/dev/null
assert_eq "$notify_off" "$(uidriver text Vantorel @Label3)" "the switch-off notice's text"
assert_eq 'WRITE.EXE' "$(uidriver text Vantorel @Label2)" "the switched-off executable's name"
[[ $(uidriver state Vantorel @Command2) == *visible=0* ]] || fail "the switch-off notice shows the manager button"
assert_no_file "$data/1004" "the switch-off hand-off file after reading"
uidriver press Vantorel OK
uidriver wait-gone Vantorel 10000
wait "$pid"
reg_missing "$remind" write.exe || fail "a switch-off notice stored a reminder time"

# A new-record notice: the manager button reads "Vantorel", and the reminder time is stored.
hand_off 1003 'C:\Program Files\Sample Tools' Sample.exe
vtrl_start "$program" unknown1003
pid=$VTRL_LAST_PID
uidriver wait-window Vantorel 20000 >/dev/null
assert_eq "$notify_new" "$(uidriver text Vantorel @Label3)" "the new-record notice's text"
[[ $(uidriver state Vantorel @Command2) == *visible=1* ]] || fail "the manager button is hidden"
assert_eq Vantorel "$(uidriver text Vantorel @Command2)" "the manager button's caption"
assert_no_file "$data/1003"
stored=$(reg_get "$remind" Sample.exe)
[[ -n $stored ]] || fail "no reminder time for Sample.exe"
screenshot 60_new_record_notice.png
# Escape, once the notice has the keyboard (a click on its text gives it), closes it as "Ok".
command -v xdotool >/dev/null || fail "xdotool, which tools/test installs, is missing"
read -r px py _ _ < <(uidriver rect Vantorel | tr -d '\r')
xdotool mousemove $((px + 200)) $((py + 90)) click 1 sleep 0.3 key Escape
uidriver wait-gone Vantorel 10000 || fail "Escape did not close the notice"
wait "$pid"

# Auto close: the popup ends by itself after about 11 seconds.
reg_set "$settings" AutoClose REG_SZ YES
hand_off 1002 'C:\windows' regedit.exe
start=$(date +%s)
rc=0
vtrl_wine 40 "$program" notifi1002 || rc=$?
assert_eq 0 "$rc" "the auto-closing popup's process"
elapsed=$(($(date +%s) - start))
((elapsed >= 9 && elapsed <= 25)) || fail "auto close took $elapsed s"
reg_delete "$settings" AutoClose

# Names of another shape than the writer's: nothing shown, nothing deleted or changed.
outside=$(drive_c)/outside.txt
printf 'c:\\tools\r\ntool.exe\r\n\r\nY\r\nY\r\n2\r\n' >"$data/ActionsDB.txt"
printf 'REGISTRY\r\nHKEY_CURRENT_USER\\x\r\n' >"$data/BackupAndLog.txt"
actions_before=$(sha256sum <"$data/ActionsDB.txt")
log_before=$(sha256sum <"$data/BackupAndLog.txt")
printf 'C:\\\r\nvictim.exe\r\n' >"$outside"
hand_off short.txt 'C:\only-one-line' ''
printf 'C:\\only-one-line\r\n' >"$data/short.txt"
for line in 'notifi..\..\..\..\..\..\outside.txt' 'notifiC:\outside.txt' 'unknownmissing' \
    'notifishort.txt' 'notifi' 'notifiActionsDB.txt' 'unknownBackupAndLog.txt'; do
    rc=0
    vtrl_wine 30 "$program" "$line" || rc=$?
    assert_eq 0 "$rc" "command line '$line'"
done
assert_file_exists "$outside" "a file outside the data folder"
assert_file_exists "$data/short.txt" "a hand-off file of one line"
assert_eq "$actions_before" "$(sha256sum <"$data/ActionsDB.txt")" "ActionsDB.txt named as a hand-off"
assert_eq "$log_before" "$(sha256sum <"$data/BackupAndLog.txt")" "BackupAndLog.txt named as a hand-off"
windows=$(uidriver list vantorel.exe || true)
[ -z "$windows" ] || fail "vantorel.exe still has windows: $windows"
