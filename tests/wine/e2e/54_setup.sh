#!/usr/bin/env bash
# The setup program from the package target: "/S" installs into Program Files with no window
# and exit code 0, runs the program's own install step (shortcuts, one uninstall entry naming
# the uninstaller) and starts the tray agent; run again it closes the agent, replaces the files,
# keeps the data folder byte for byte and starts the agent again. "Uninstall.exe /S" removes the
# program, its shortcuts, its group and its entry and keeps the data and settings. "/D=" installs
# elsewhere, and the uninstaller there removes only what it installed, and with "/PURGE" the
# data and settings too. Without "/S" the pages show (screenshots), and the uninstaller asks
# whether to keep the data.
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

agent='Vantorel tray agent'
uninstall_root='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'

# The package target makes the setup program; an earlier case may have made it from the same
# build already (each package run costs many seconds).
build=$VTRL_ROOT/build/windows
built=$build/Vantorel-1.0-setup.exe
if [[ ! -f $built ]] || [[ -n $(find "$VTRL_BIN"/vantorel*.exe "$VTRL_ROOT"/{Languages,packaging,LICENSE,README.md,resources/sound.wav} -newer "$built" -print -quit) ]]; then
    cmake --build "$build" --target package >"$VTRL_CASE_DIR/package.log" 2>&1 ||
        fail "building the package failed (see $VTRL_CASE_DIR/package.log)"
fi
assert_file_exists "$build/Vantorel-1.0-setup.exe" "the setup program"
assert_file_exists "$build/Vantorel-1.0-win64.zip" "the zip beside it"
mkdir -p "$(drive_c)/vtrltest"
cp "$build/Vantorel-1.0-setup.exe" "$(drive_c)/vtrltest/"
setup="$(drive_c)/vtrltest/Vantorel-1.0-setup.exe"

# The version resource, in UTF-16 as Windows reads it.
has_utf16() { python3 -c 'import sys
sys.exit(0 if sys.argv[2].encode("utf-16-le") in open(sys.argv[1], "rb").read() else 1)' "$1" "$2"; }
for text in ProductName Vantorel FileVersion 1.0 'Vantorel setup'; do
    has_utf16 "$setup" "$text" || fail "the setup program's version resource lacks '$text'"
done

# Wine runs every program as an administrator, so no elevation prompt can be seen here; what
# can be checked is that the setup program asks Windows for it in its manifest.
grep -aq 'requestedExecutionLevel level="requireAdministrator"' "$setup" ||
    fail "the setup program does not ask for elevation"

install_dir="$(drive_c)/Program Files/Vantorel"
startup=$(unix_path "$(win_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Startup")
programs=$(unix_path "$(win_env ProgramData)\\Microsoft\\Windows\\Start Menu\\Programs")
desktop=$(unix_path "$(win_env PUBLIC)\\Desktop")
data=$(unix_path "$(win_env APPDATA)\\VTRL1")

# Every uninstall entry whose DisplayName names the product, from one export of the whole list:
# "[key]" lines, each followed by its string values as "name=data" lines.
product_entries() {
    local export_file
    export_file=$(mktemp "$VTRL_CASE_DIR/uninstall.XXXXXX")
    vtrl_wine 30 reg export "$uninstall_root" "$(win_path "$export_file")" /y >/dev/null 2>&1
    python3 - "$export_file" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-16").read().replace("\r", "")
for block in re.split(r"\n(?=\[)", text):
    lines = block.split("\n")
    values = {}
    for line in lines[1:]:
        match = re.match(r'^"((?:[^"\\]|\\.)*)"="((?:[^"\\]|\\.)*)"$', line)
        if match:
            values[match[1]] = match[2].replace('\\"', '"').replace("\\\\", "\\")
    if values.get("DisplayName", "").startswith("Vantorel"):
        print(lines[0])
        for name in sorted(values):
            print(f"{name}={values[name]}")
PY
    rm -f "$export_file"
}
# Handle and pid of each tray agent window, one per line.
agents() { uidriver list vantorel.exe | awk -F '\t' -v caption="$agent" '$4 == caption { print $1, $2 }'; }
wait_for_agent() { # WHEN: its window is hidden, so the list is polled
    local found="" _
    for _ in $(seq 100); do
        found=$(agents)
        [[ -n $found ]] && break
        sleep 0.2
    done
    [[ -n $found ]] || fail "no tray agent $1"
    [[ $(wc -l <<<"$found") == 1 ]] || fail "not one tray agent $1: $found"
    printf '%s\n' "$found"
}
assert_installed_in() { # UNIX_FOLDER WINDOWS_FOLDER WHEN
    local name
    for name in "$VTRL_BIN"/{vantorel.exe,vantorelc.exe,sound.wav} "$VTRL_ROOT"/{README.md,LICENSE}; do
        cmp -s "$1/$(basename "$name")" "$name" ||
            fail "$(basename "$name") in $2 is not the one just built $3"
    done
    for name in "$VTRL_ROOT"/Languages/*.ini; do
        cmp -s "$1/Languages/$(basename "$name")" "$name" ||
            fail "the language file $(basename "$name") $3"
    done
    assert_file_exists "$1/Uninstall.exe" "the uninstaller $3"
    assert_file_exists "$startup/Vantorel.lnk" "the agent's Startup shortcut $3"
    assert_file_exists "$desktop/Vantorel 1.lnk" "the desktop shortcut $3"
    assert_file_exists "$programs/Vantorel 1/Vantorel 1.lnk" "the program shortcut $3"
    local expected
    expected=$(printf '%s\n' \
        '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantorel 1]' \
        "DisplayIcon=$2\\vantorel.exe" 'DisplayName=Vantorel 1.00' 'DisplayVersion=1.0' \
        "InstallLocation=$2" 'Publisher=Vantorel developers' \
        "QuietUninstallString=\"$2\\Uninstall.exe\" /S" \
        "UninstallString=\"$2\\Uninstall.exe\"")
    assert_eq "$expected" "$(product_entries)" "the one uninstall entry $3"
}
# Waits until the recording browser has been given a link with the text: the browser starts on
# its own while the install step goes on.
wait_for_link() { # TEXT WHEN
    local _
    for _ in $(seq 100); do
        [[ -f $VTRL_URL_LOG && $(tr -d '\r' <"$VTRL_URL_LOG") == *"$1"* ]] && return 0
        sleep 0.1
    done
    fail "no link with $1 was opened $2"
}
# Runs the setup program or an uninstaller with /S and what follows; it must end with 0.
silently() { # WHAT PROGRAM ARGS...
    local rc=0 what=$1
    shift
    vtrl_wine 60 "$@" || rc=$?
    assert_eq 0 "$rc" "the exit code of $what"
}
# Polls until the path is gone: the uninstaller hands its work to a copy of itself in the
# temporary folder and ends at once, so that it can delete its own file. Its file and then its
# folder are the last things it removes.
wait_removed() { # UNIX_PATH WHEN
    local _
    for _ in $(seq 300); do
        [[ -e $1 ]] || return 0
        sleep 0.1
    done
    fail "the uninstaller left $1 $2"
}

# A silent first installation, watched for any visible window of the setup program while it runs.
vtrl_start "$setup" /S
setup_pid=$VTRL_LAST_PID
shown=""
while kill -0 "$setup_pid" 2>/dev/null; do
    shown+=$(uidriver list Vantorel-1.0-setup.exe | awk -F '\t' '$5 == 1' || true)
    sleep 0.2
done
rc=0
wait "$setup_pid" || rc=$?
assert_eq 0 "$rc" "the silent setup's exit code"
assert_eq "" "$shown" "the silent setup's visible windows"
assert_installed_in "$install_dir" 'C:\Program Files\Vantorel' "after the first setup"
first_agent=$(wait_for_agent "after the first setup")
wait_for_link '&to=install&' "by the first setup's install step"

# The user's decisions, and a changed copy that an upgrade must replace.
printf '%s\r\n' "" 'c:\vtrltest' 'keeper.exe' '' N N 1 "" "" "" "" >"$data/ActionsDB.txt"
decisions=$(sha256sum <"$data/ActionsDB.txt")
echo "an older readme" >"$install_dir/README.md"
rm "$install_dir/Languages/German.ini"
reg_get "$settings" Language >/dev/null || fail "no language setting after the first setup"

# The same setup again: an upgrade in place while the agent runs, with the program's update
# reminder long due: silent, nothing may ask.
old_check='1/1/2020 9:30:00 AM'
reg_set "$settings" 'Recent Update' REG_SZ "$old_check"
silently "the upgrade" "$setup" /S
assert_installed_in "$install_dir" 'C:\Program Files\Vantorel' "after the upgrade"
# The agent it starts asks, as every start of the program does when the reminder is due; Yes
# opens the update page and restarts the count.
reminder=$(uidriver msgbox-text Vantorel 20000) || fail "the restarted agent did not ask"
[[ $reminder == *'days ago'* ]] || fail "the restarted agent asked '$reminder'"
uidriver press Vantorel Yes || fail "cannot answer the reminder"
wait_for_link '&to=updates&' "by the restarted agent"
second_agent=$(wait_for_agent "after the upgrade")
# One agent, in another process: the old one ended and a new one started.
[[ ${second_agent#* } != "${first_agent#* }" ]] || fail "the agent was not restarted"
assert_eq "$decisions" "$(sha256sum <"$data/ActionsDB.txt")" "ActionsDB.txt after the upgrade"
wait_for_link '&to=reinstall&' "by the upgrade's install step"

# The silent uninstall.
silently "the uninstaller" "$install_dir/Uninstall.exe" /S
wait_removed "$install_dir" "after the silent uninstall"
assert_no_file "$install_dir" "the install folder after the uninstall"
assert_no_file "$startup/Vantorel.lnk" "the agent's Startup shortcut after the uninstall"
assert_no_file "$desktop/Vantorel 1.lnk" "the desktop shortcut after the uninstall"
assert_no_file "$programs/Vantorel 1" "the program group after the uninstall"
assert_eq "" "$(product_entries)" "the uninstall entries after the uninstall"
uidriver wait-gone "$agent" 10000 || fail "the agent still runs after the uninstall"
assert_eq "$decisions" "$(sha256sum <"$data/ActionsDB.txt")" "ActionsDB.txt after the uninstall"
reg_get "$settings" Language >/dev/null || fail "the settings went with the uninstall"

# Another folder, with a file of the user's beside it: only what the setup put there goes.
other="$(drive_c)/Tools/Vantorel"
mkdir -p "$other"
echo mine >"$other/notes.txt"
silently "the setup into another folder" "$setup" /S '/D=C:\Tools\Vantorel'
assert_installed_in "$other" 'C:\Tools\Vantorel' "in another folder"
assert_no_file "$install_dir" "Program Files\\Vantorel after a setup into another folder"
wait_for_agent "from another folder" >/dev/null
# A later setup without /D= upgrades that copy instead of installing a second one.
rm "$other/README.md"
silently "the upgrade in another folder" "$setup" /S
assert_installed_in "$other" 'C:\Tools\Vantorel' "after an upgrade in another folder"
assert_no_file "$install_dir" "Program Files\\Vantorel after an upgrade in another folder"
silently "the uninstaller in another folder" "$other/Uninstall.exe" /S /PURGE
wait_removed "$other/Uninstall.exe" "in another folder"
assert_no_file "$other/vantorel.exe" "the program in another folder after the uninstall"
assert_no_file "$other/Languages" "the language files in another folder after the uninstall"
assert_eq mine "$(cat "$other/notes.txt")" "the user's file beside the program"
# Asked to, it removes the user's data and settings too.
assert_no_file "$data" "the data folder after /PURGE"
reg_missing "${settings%\\Settings}" || fail "the settings stayed after /PURGE"

# Interactive: the licence page, then the folder page; Cancel leaves nothing behind.
# The window's caption ends in a blank (the pages have no subcaption); its question's does not.
caption='Vantorel 1.0 Setup '
vtrl_start "$setup"
uidriver wait-window "$caption" 30000 >/dev/null || fail "the setup window did not open"
uidriver wait-text "$caption" '#1' 'I &Agree' 10000 >/dev/null ||
    fail "the licence page has no I Agree button"
# The licence's text (NSIS numbers the page's text box 1000, the folder box 1019).
licence=$(uidriver text "$caption" '#1000') || fail "the licence page has no text box"
[[ $licence == *'Copyright (c) 2026 Vantorel developers'* ]] ||
    fail "the licence page does not show the licence"
screenshot 54_setup_licence.png
uidriver press "$caption" 'I Agree' || fail "cannot accept the licence"
uidriver wait-text "$caption" '#1' '&Install' 10000 >/dev/null || fail "no folder page"
assert_eq 'C:\Program Files\Vantorel' "$(uidriver text "$caption" '#1019')" "the offered folder"
screenshot 54_setup_folder.png
uidriver press "$caption" Cancel || fail "cannot cancel the setup"
uidriver press "${caption% }" Yes || fail "the setup did not ask before quitting"
uidriver wait-gone "$caption" 10000 || fail "the setup did not end on Cancel"
assert_no_file "$install_dir" "Program Files\\Vantorel after a cancelled setup"

# The interactive uninstaller asks about the user's data; No removes it.
silently "the setup before an interactive uninstall" "$setup" /S
# The agent it starts is under way before the uninstaller is, as for anyone who uninstalls: an
# agent whose window does not exist yet cannot be asked to close by it.
wait_for_agent "before the interactive uninstall" >/dev/null
vtrl_start "$install_dir/Uninstall.exe"
uninstall_caption='Vantorel 1.0 Uninstall '
uidriver press "$uninstall_caption" Uninstall || fail "no Uninstall button on the first page"
question=$(uidriver msgbox-text "${uninstall_caption% }" 20000) || fail "the uninstaller asked nothing"
[[ ${question//$'\r'/} == *'Keep your Vantorel settings, decisions and log'* ]] ||
    fail "the uninstaller asked '$question'"
screenshot 54_uninstall_question.png
uidriver press "${uninstall_caption% }" No || fail "cannot answer the question"
wait_removed "$install_dir" "after the interactive uninstall"
assert_no_file "$install_dir" "the install folder after the interactive uninstall"
assert_no_file "$data" "the data folder after No"
