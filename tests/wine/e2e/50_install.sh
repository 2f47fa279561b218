#!/usr/bin/env bash
# "install" from the expected install folder: the install page, then on a second run the
# reinstall page; the shortcuts, the web-site link, the install month and the uninstall entry;
# the program group emptied of an older installation's files, another major version's group
# left alone. Run from anywhere else, the uninstall entry is only " uninstall".
set -euo pipefail
source "$(dirname "$0")/../lib.sh"

wait_for_lines() { # COUNT: until the browser has recorded that many links
    local _
    for _ in $(seq 100); do
        [[ -f $VTRL_URL_LOG && $(wc -l <"$VTRL_URL_LOG") -ge $1 ]] && return 0
        sleep 0.1
    done
    fail "the browser recorded fewer than $1 links"
}
link_has() { # LNK TEXT: the shortcut file holds the text, as ANSI (the target) or UTF-16
    python3 -c 'import sys
data = open(sys.argv[1], "rb").read()
text = sys.argv[2]
sys.exit(0 if text.encode("utf-16-le") in data or text.encode() in data else 1)' "$1" "$2"
}

install_dir="$(drive_c)/Program Files/Vantorel 1"
mkdir -p "$install_dir"
cp "$VTRL_BIN/vantorel.exe" "$VTRL_BIN/sound.wav" "$install_dir/"
cp -r "$VTRL_BIN/Languages" "$install_dir/"
exe_win='C:\Program Files\Vantorel 1\vantorel.exe'

startup=$(unix_path "$(win_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Startup")
programs=$(unix_path "$(win_env ProgramData)\\Microsoft\\Windows\\Start Menu\\Programs")
desktop=$(unix_path "$(win_env PUBLIC)\\Desktop")
group="$programs/Vantorel 1"

# An older installation of this major version, and one of another major version.
mkdir -p "$group" "$programs/Vantorel 0"
echo old >"$group/Vantorel 0.9.lnk"
echo old >"$group/Release notes.txt"
echo other >"$programs/Vantorel 0/Vantorel 0.lnk"

rc=0
vtrl_wine 60 "$install_dir/vantorel.exe" install || rc=$?
assert_eq 0 "$rc" "the first install's exit code"
wait_for_lines 1
first=$(tr -d '\r' <"$VTRL_URL_LOG" | sed -n 1p)
[[ $first == https://www.vantorel.example/check.php\?scn=VTRL\&to=install\&* ]] ||
    fail "the first install opened '$first'"

assert_file_exists "$startup/Vantorel.lnk" "the agent start shortcut"
assert_file_exists "$desktop/Vantorel 1.lnk" "the desktop shortcut"
assert_file_exists "$group/Vantorel 1.lnk" "the program shortcut"
assert_file_exists "$group/Check for Vantorel updates.lnk" "the update-check shortcut"
assert_file_exists "$group/Vantorel on the Web.url" "the web-site link"
assert_no_file "$group/Vantorel 0.9.lnk" "a stale shortcut in the program group"
assert_no_file "$group/Release notes.txt" "a stale file in the program group"
assert_file_exists "$programs/Vantorel 0/Vantorel 0.lnk" "another major version's shortcut"
for lnk in "$startup/Vantorel.lnk" "$desktop/Vantorel 1.lnk" "$group/Vantorel 1.lnk" \
    "$group/Check for Vantorel updates.lnk"; do
    link_has "$lnk" "$exe_win" || fail "$lnk does not start $exe_win"
done
link_has "$startup/Vantorel.lnk" startup || fail "the agent shortcut's argument"
link_has "$group/Check for Vantorel updates.lnk" updates || fail "the update shortcut's argument"

mapfile -t url_lines < <(tr -d '\r' <"$group/Vantorel on the Web.url")
assert_eq "[InternetShortcut]" "${url_lines[0]}" "the .url header"
[[ ${url_lines[1]} == URL=https://www.vantorel.example/check.php\?scn=VTRL\&to=site\&* ]] ||
    fail "the .url link is '${url_lines[1]}'"
assert_eq "IconIndex=|IconFile=" "${url_lines[2]}|${url_lines[3]}" "the .url icon lines"

kv='HKCU\Software\VB and VBA Program Settings\KV\VTRL'
assert_eq "$(date +%-m)" "$(reg_get "$kv" Reload-Month)" "Reload-Month"
assert_eq "$(date +%Y)" "$(reg_get "$kv" Reload-Year)" "Reload-Year"
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantorel 1'
assert_eq "Vantorel 1.00" "$(reg_get "$entry" DisplayName)" "DisplayName"
command=$(reg_get "$entry" UninstallString)
[[ $command =~ ^([^\ ]+)\ uninstall$ ]] || fail "UninstallString is '$command'"
[[ $(unix_path "${BASH_REMATCH[1]}") -ef $install_dir/vantorel.exe ]] ||
    fail "UninstallString names ${BASH_REMATCH[1]}, not the installed executable"

# The second install is a reinstallation and rewrites the group.
echo stale >"$group/Stale.lnk"
rc=0
vtrl_wine 60 "$install_dir/vantorel.exe" install || rc=$?
assert_eq 0 "$rc" "the second install's exit code"
wait_for_lines 2
second=$(tr -d '\r' <"$VTRL_URL_LOG" | sed -n 2p)
[[ $second == https://www.vantorel.example/check.php\?scn=VTRL\&to=reinstall\&* ]] ||
    fail "the second install opened '$second'"
assert_no_file "$group/Stale.lnk" "a stale shortcut after the second install"
assert_file_exists "$group/Vantorel 1.lnk" "the program shortcut after the second install"
screenshot 50_install.png

# Run from another folder while nothing is at the expected one: no short path can be formed.
other="$(drive_c)/Elsewhere"
mkdir -p "$other"
cp -r "$install_dir/." "$other/"
rm "$install_dir/vantorel.exe"
rc=0
vtrl_wine 60 "$other/vantorel.exe" install || rc=$?
assert_eq 0 "$rc" "the install from elsewhere"
assert_eq " uninstall" "$(reg_get "$entry" UninstallString)" "UninstallString without the file"
link_has "$group/Vantorel 1.lnk" 'C:\Elsewhere\vantorel.exe' ||
    fail "the program shortcut does not start the running copy"
