#!/usr/bin/env bash
# "uninstall": No to the first question changes nothing; Yes closes the tray agent and, after
# the batch file has run and ended by itself, leaves no program, shortcut or uninstall entry.
# Yes to keeping the settings keeps the settings store and the data folder; No removes both.
# The install month stays, so the next install is a reinstallation.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

url_count() { [[ -f $VTRL_URL_LOG ]] && wc -l <"$VTRL_URL_LOG" || echo 0; }
wait_for_urls() { # COUNT
    local _
    for _ in $(seq 100); do
        [[ $(url_count) -ge $1 ]] && return 0
        sleep 0.1
    done
    fail "the browser recorded fewer than $1 links"
}
# The batch files of uninstall runs: each goes into a new folder of its own in the temporary folder.
batch_files() { compgen -G "$temp/Vantorel-uninstall-*/Uninstall.bat" || true; }
# Windows processes of this prefix whose command line holds the text.
prefix_processes() {
    local pid
    for pid in $(pgrep -f -- "$1" || true); do
        if { tr "\0" "\n" <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
            echo "$pid"
        fi
    done
}

install_dir="$(drive_c)/Program Files/Vantorel 1"
startup=$(unix_path "$(win_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Startup")
programs=$(unix_path "$(win_env ProgramData)\\Microsoft\\Windows\\Start Menu\\Programs")
desktop=$(unix_path "$(win_env PUBLIC)\\Desktop")
temp=$(unix_path "$(win_env TEMP)")
data=$(unix_path "$(win_env APPDATA)\\VTRL1")
group="$programs/Vantorel 1"
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantorel 1'
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
kv='HKCU\Software\VB and VBA Program Settings\KV\VTRL'
sure=$'Are you sure you want to remove this program from your computer?\n\nVantorel'
keep_question='Do you want to keep your settings and your white and black lists? Choose Yes to keep them for a later installation, or No to remove them.'

install() {
    mkdir -p "$install_dir"
    cp "$VTRL_BIN/vantorel.exe" "$VTRL_BIN/sound.wav" "$install_dir/"
    cp -r "$VTRL_BIN/Languages" "$install_dir/"
    local rc=0 before
    before=$(url_count)
    vtrl_wine 60 "$install_dir/vantorel.exe" install || rc=$?
    assert_eq 0 "$rc" "install"
    wait_for_urls $((before + 1))
    assert_file_exists "$group/Vantorel 1.lnk" "the program shortcut after install"
    echo kept >"$data/ActionsDB.txt"
}

assert_installed() { # WHEN
    assert_file_exists "$install_dir/vantorel.exe" "the program $1"
    assert_file_exists "$startup/Vantorel.lnk" "the agent shortcut $1"
    assert_file_exists "$desktop/Vantorel 1.lnk" "the desktop shortcut $1"
    assert_file_exists "$group/Vantorel 1.lnk" "the program group $1"
    reg_get "$entry" DisplayName >/dev/null || fail "the uninstall entry is gone $1"
}

# Runs "uninstall" with the tray agent's window open and answers the settings question.
uninstall_with() { # Yes|No (keep the settings)
    vtrl_start "$VTRL_BIN/titled_window.exe" "Vantorel tray agent"
    uidriver wait-window "Vantorel tray agent" 20000 >/dev/null
    vtrl_start "$install_dir/vantorel.exe" uninstall
    local pid=$VTRL_LAST_PID
    assert_eq "$sure"$'\nbutton: Yes\nbutton: No' "$(uidriver msgbox-text Vantorel 20000)" \
        "the first question"
    uidriver press Vantorel Yes
    uidriver wait-gone "Vantorel tray agent" 20000 || fail "the tray agent was not closed"
    assert_no_file "$startup/Vantorel.lnk" "the agent shortcut after Yes"
    assert_eq "$keep_question"$'\nbutton: Yes\nbutton: No' \
        "$(uidriver msgbox-text Vantorel 20000)" "the settings question"
    screenshot "51_uninstall_settings_$1.png"
    uidriver press Vantorel "$1"
    assert_eq $'Vantorel Vantorel has been removed from your computer.\nbutton: OK' \
        "$(uidriver msgbox-text Vantorel 20000)" "the removal message"
    uidriver press Vantorel OK
    wait "$pid" || true
    # The batch file outlives the program and deletes itself last; its loop is bounded.
    local _
    for _ in $(seq 600); do
        [[ -z $(batch_files) ]] && break
        sleep 0.1
    done
    [[ -z $(batch_files) ]] || fail "the batch file after a minute: $(batch_files)"
    for _ in $(seq 100); do
        [[ -z $(prefix_processes 'cmd.exe') ]] && break
        sleep 0.1
    done
    [[ -z $(prefix_processes 'cmd.exe') ]] || fail "the batch file's cmd is still running"
    [[ -z $(compgen -G "$temp/Vantorel-uninstall-*/uninstall.reg") ]] || fail "the registry script"
    # A file where the scripts used to be written is neither used nor changed.
    assert_eq planted "$(cat "$temp/Uninstall.bat")" "a file of that name in the temporary folder"
    assert_no_file "$install_dir" "the install folder"
    assert_no_file "$desktop/Vantorel 1.lnk" "the desktop shortcut"
    assert_no_file "$group" "the program group"
    reg_missing "$entry" || fail "the uninstall entry is still there"
    assert_eq 1 "$(reg_get "$kv" Reload-Month >/dev/null && echo 1)" "the install month"
    tr -d '\r' <"$VTRL_URL_LOG" | tail -n 1 | grep -q '&to=uninstall&' ||
        fail "the uninstall page was not opened"
}

install
echo planted >"$temp/Uninstall.bat"

# No: nothing removed, no page opened, the tray agent left running.
vtrl_start "$VTRL_BIN/titled_window.exe" "Vantorel tray agent"
uidriver wait-window "Vantorel tray agent" 20000 >/dev/null
vtrl_start "$install_dir/vantorel.exe" uninstall
pid=$VTRL_LAST_PID
assert_eq "$sure"$'\nbutton: Yes\nbutton: No' "$(uidriver msgbox-text Vantorel 20000)" \
    "the first question"
screenshot 51_uninstall_question.png
uidriver press Vantorel No
wait "$pid" || true
assert_installed "after No"
assert_eq 1 "$(url_count)" "links opened after No"
uidriver wait-window "Vantorel tray agent" 1000 >/dev/null || fail "No closed the tray agent"
uidriver close "Vantorel tray agent"
uidriver wait-gone "Vantorel tray agent" 10000
[[ -z $(batch_files) ]] || fail "a batch file after No"

# Yes, keeping the settings.
uninstall_with Yes
reg_get "$settings" Language >/dev/null || fail "the settings were removed"
assert_file_exists "$data/ActionsDB.txt" "the data folder's files"

# Installed again it is a reinstallation; Yes, removing the settings.
install
tr -d '\r' <"$VTRL_URL_LOG" | tail -n 1 | grep -q '&to=reinstall&' ||
    fail "the install after an uninstall was not a reinstallation"
uninstall_with No
reg_missing 'HKCU\Software\VB and VBA Program Settings\VTRL' || fail "the settings are still there"
assert_no_file "$data" "the data folder"

# An executable that can never be deleted (read-only: Del refuses it) ends the batch file's loop
# after its fixed number of tries, about half a minute; the rest of the file still runs.
install
vtrl_wine 30 cmd /c attrib +r 'C:\Program Files\Vantorel 1\vantorel.exe'
vtrl_start "$install_dir/vantorel.exe" uninstall
pid=$VTRL_LAST_PID
uidriver msgbox-text Vantorel 20000 >/dev/null
uidriver press Vantorel Yes
uidriver msgbox-text Vantorel 20000 >/dev/null
uidriver press Vantorel Yes
uidriver msgbox-text Vantorel 20000 >/dev/null
uidriver press Vantorel OK
wait "$pid" || true
started=$SECONDS
[[ -n $(batch_files) ]] || fail "no batch file while it loops"
for _ in $(seq 900); do
    [[ -z $(batch_files) ]] && break
    sleep 0.1
done
[[ -z $(batch_files) ]] || fail "the batch file after its bounded loop"
[[ $((SECONDS - started)) -ge 10 ]] || fail "the loop ended after $((SECONDS - started)) s"
assert_no_file "$group" "the program group after the bounded loop"
reg_missing "$entry" || fail "the uninstall entry after the bounded loop"
