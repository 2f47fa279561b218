#!/usr/bin/env bash
# Every file of the Startup folder and a redirected Startup folder: a .bat script, a .vbs script,
# a hidden program and a shortcut are listed by `vantorelc list --json` from the folder the
# redirection points to, each with the program that opens it and its hidden mark, and the
# redirection itself is a record; "desktop.ini" never is. Restricted, the resident agent removes
# each file dropped into the Startup folder, and the redirection, within two seconds with its
# backup; the undo page puts every file back byte- and attribute-identical and the redirection
# back as it was. A redirection made while the agent runs, when allowed, moves its watch and scan
# to the new folder at once: a restricted file dropped there goes within two seconds too.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=tests/wine/manager_window.sh
source "$(dirname "$0")/../manager_window.sh"

lc=$VTRL_BIN/vantorelc.exe
out=$VTRL_CASE_DIR
shell_folders='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\User Shell Folders'
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
data=$(vtrl_data_folder)
default_value=$(reg_get "$shell_folders" Startup)
startup_win=$(vtrl_wine 30 "$VTRL_BIN/facts_probe.exe" | tr -d '\r' | sed -n 's/^StartupFolder=//p')
[[ -n $startup_win ]] || fail "no Startup folder"
startup=$(unix_path "$startup_win")
t=$(drive_c)/vtrltest
mkdir -p "$startup" "$t/stage" "$t/Elsewhere" "$t/saved"

# The four files, made in a staging folder and kept aside for the comparison.
cp "$VTRL_BIN/version_none.exe" "$t/linked.exe"
cp "$VTRL_BIN/version_none.exe" "$t/stage/tool.exe"
printf '@exit\r\n' >"$t/stage/run.bat"
printf 'WScript.Quit\r\n' >"$t/stage/script.vbs"
rc=0
vtrl_wine 30 "$VTRL_BIN/make_shortcut.exe" 'C:\vtrltest\stage\Linked.lnk' 'C:\vtrltest\linked.exe' || rc=$?
assert_eq 0 "$rc" "making the shortcut"
vtrl_wine 30 attrib +h 'C:\vtrltest\stage\tool.exe' >/dev/null 2>&1
files=(run.bat script.vbs tool.exe Linked.lnk)
attributes() { vtrl_wine 30 cmd /c attrib "$1" 2>/dev/null | tr -d '\r' | cut -c1-10; }
assert_eq 1 "$(attributes 'C:\vtrltest\stage\tool.exe' | grep -c H)" "the program is hidden"
for f in "${files[@]}"; do
    cp "$t/stage/$f" "$t/saved/$f"
    attributes "C:\\vtrltest\\stage\\$f" >"$t/saved/$f.attr"
done
printf '[.ShellClassInfo]\r\n' >"$t/Elsewhere/desktop.ini"

# Listed from the folder the redirection points to, the redirection with them.
reg_set "$shell_folders" Startup REG_EXPAND_SZ 'C:\vtrltest\Elsewhere'
# Moved, not copied: Wine keeps the hidden mark beside the file, and only a move takes it along.
for f in "${files[@]}"; do mv "$t/stage/$f" "$t/Elsewhere/$f"; done
rc=0
vtrl_wine 60 "$lc" list --json >"$out/list.json" 2>"$out/stderr" || rc=$?
assert_eq 0 "$rc" "exit code of list --json ($(cat "$out/stderr"))"
python3 - "$out/list.json" <<'PY' || fail "the Startup folder's records (see the log)"
import json, sys

records = json.load(open(sys.argv[1], encoding="utf-8"))
folder = "c:\\vtrltest\\elsewhere"
mine = {r["EntryName"].lower(): r for r in records if r["Location"].lower() == folder}
ok = True
def expect(what, actual, wanted):
    global ok
    if actual != wanted:
        print(f"{what}: {actual!r}, wanted {wanted!r}")
        ok = False
expect("files listed", sorted(mine), ["linked.lnk", "run.bat", "script.vbs", "tool.exe"])
opener = {name: r["Opener"].lower() for name, r in mine.items()}
expect("run.bat opener", opener.get("run.bat", "").endswith("\\system32\\cmd.exe"), True)
expect("script.vbs opener", opener.get("script.vbs", "").endswith("\\wscript.exe"), True)
expect("tool.exe opener", opener.get("tool.exe"), folder + "\\tool.exe")
expect("shortcut opener", opener.get("linked.lnk"), "c:\\vtrltest\\linked.exe")
expect("kinds", sorted((n, r["Kind"]) for n, r in mine.items()),
       [("linked.lnk", "SHORTCUT"), ("run.bat", "STARTUPFILE"), ("script.vbs", "STARTUPFILE"),
        ("tool.exe", "STARTUPFILE")])
expect("hidden marks", sorted(n for n, r in mine.items() if r["HiddenFile"]), ["tool.exe"])
redirects = [r for r in records if r["Kind"] == "REDIRECTION"]
expect("redirection records", len(redirects), 1)
if redirects:
    expect("redirection value", redirects[0]["EntryName"], "Startup")
    expect("redirection folder", (redirects[0]["ExeFolder"] + "\\" + redirects[0]["ExeName"]).lower(),
           folder)
expect("desktop.ini listed", [r for r in records if r["EntryName"].lower() == "desktop.ini"], [])
sys.exit(0 if ok else 1)
PY
for f in "${files[@]}"; do mv "$t/Elsewhere/$f" "$t/stage/$f"; done
reg_set "$shell_folders" Startup REG_EXPAND_SZ "$default_value"
printf '[.ShellClassInfo]\r\n' >"$startup/desktop.ini"

# Restricted with "delete"; one approved record keeps the agent running.
cp "$VTRL_BIN/version_none.exe" "$t/keeper.exe"
reg_set "$run_key" Keeper REG_SZ 'C:\vtrltest\keeper.exe'
folder_lower=$(tr '[:upper:]' '[:lower:]' <<<"$startup_win")
crlf() { printf '%s\r\n' "$@"; }
{
    for f in run.bat script.vbs tool.exe; do
        crlf "" "$folder_lower" "$f" '' N Y 2 "" "" "" ""
    done
    crlf "" 'c:\vtrltest' 'elsewhere' '' N Y 2 "" "" "" ""
    crlf "" 'c:\vtrltest' 'linked.exe' '' N Y 2 "" "" "" ""
    crlf "" 'c:\vtrltest' 'keeper.exe' '' N N 1 "" "" "" ""
} >"$data/ActionsDB.txt"
reg_set "$settings" NotifiWin REG_SZ NO
reg_set "$settings" Sound REG_SZ NO
reg_set "$settings" Unknown REG_SZ NO

start_agent "the resident agent is up"

for f in "${files[@]}"; do mv "$t/stage/$f" "$startup/$f"; done
all_gone() {
    local f
    for f in "${files[@]}"; do [[ ! -e $startup/$f ]] || return 1; done
}
ms=$(wait_until all_gone) || fail "not every restricted file was removed: $(ls "$startup")"
((ms <= 2000)) || fail "the restricted files took $ms ms to go"
[[ -e $startup/desktop.ini ]] || fail "desktop.ini was removed"

# The removals above are changes too: once their passes are over, only the watch of the
# folder's setting can see the redirection in time.
sleep 3
start=$(now_ms)
reg_set "$shell_folders" Startup REG_EXPAND_SZ 'C:\vtrltest\Elsewhere'
is_default() {
    [[ $(reg_get "$shell_folders" Startup) == '%USERPROFILE%\AppData\Roaming\Microsoft\Windows\Start Menu\Programs\Startup' ]]
}
agent_reacts "$start" "$data/BackupAndLog.txt" "removing the redirection" is_default
assert_eq 5 "$(tr -d '\r' <"$data/BackupAndLog.txt" | grep -c '^=\{74\}$')" "log entries"
assert_eq 5 "$(find "$data/Backups" -maxdepth 1 -name '*.bin' | wc -l)" "exact copies"

# Everything back from the undo page; the manager window ends the agent as it opens.
restore_every_undo_line
assert_eq 5 "$undo_lines" "lines on the undo page"

for f in "${files[@]}"; do
    cmp -s "$t/saved/$f" "$startup/$f" || fail "$f is not byte-identical after the restore"
    assert_eq "$(cat "$t/saved/$f.attr")" "$(attributes "$startup_win\\$f")" "the attributes of $f"
done
assert_eq 'C:\vtrltest\Elsewhere' "$(reg_get "$shell_folders" Startup)" "the redirection restored"

# A redirection made while the agent runs, and allowed: the agent scans and watches the folder
# it names from then on, without a restart.
mkdir -p "$t/Moved"
{
    crlf "" 'c:\vtrltest' 'moved' '' N N 1 "" "" "" ""
    crlf "" 'c:\vtrltest\moved' 'late.bat' '' N Y 2 "" "" "" ""
} >>"$data/ActionsDB.txt"
start_agent "the resident agent is up again"
reg_set "$shell_folders" Startup REG_EXPAND_SZ 'C:\vtrltest\Moved'
# Once the pass of that change is over, only a watch of the new folder sees a file in time.
sleep 3
printf '@exit\r\n' >"$t/Moved/late.bat"
late_gone() { [[ ! -e $t/Moved/late.bat ]]; }
ms=$(wait_until late_gone) || fail "the file in the folder redirected to was not removed"
((ms <= 2000)) || fail "the file in the folder redirected to took $ms ms to go"
assert_eq 'C:\vtrltest\Moved' "$(reg_get "$shell_folders" Startup)" "the allowed redirection stays"
reg_set "$shell_folders" Startup REG_EXPAND_SZ "$default_value"
exit 0
