#!/usr/bin/env bash
# Every kind of startup command through `vantorelc list --json`, resolved as Windows starts it:
# quoted and unquoted paths, environment variables of the user, bare names through App Paths,
# the system folder and PATH, the unquoted-path hijack, the payloads of the common launchers, a
# missing program and a text that is no command; then the missing program's record, restricted,
# is removed by the agent with its backup entry.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"

lc=$VTRL_BIN/vantorelc.exe
out=$VTRL_CASE_DIR
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'

k=$(drive_c)/vtrlkinds
mkdir -p "$k/Vtrl App" "$k/scripts"
cp "$VTRL_BIN/version_full.exe" "$k/tool.exe"
cp "$VTRL_BIN/version_none.exe" "$k/Vtrl App/app.exe"
cp "$VTRL_BIN/version_none.exe" "$k/Vtrl App/other.exe"
cp "$VTRL_BIN/version_none.exe" "$k/Vtrl.exe"
cp "$VTRL_BIN/version_none.exe" "$k/helper.dll"
for script in start.vbs login.cmd tray.ps1 panel.hta; do
    printf 'rem\r\n' >"$k/scripts/$script"
done
profile=$(win_env USERPROFILE)
mkdir -p "$(unix_path "$profile")/vtrlkinds"
cp "$VTRL_BIN/version_none.exe" "$(unix_path "$profile")/vtrlkinds/mine.exe"

reg_set 'HKCU\Software\Microsoft\Windows\CurrentVersion\App Paths\vtrlregistered.exe' '' REG_SZ \
    '"C:\vtrlkinds\tool.exe"'
reg_set "$run_key" 'Vtrl Quoted' REG_SZ '"C:\vtrlkinds\Vtrl App\other.exe" -min'
reg_set "$run_key" 'Vtrl Hijacked' REG_SZ 'C:\vtrlkinds\Vtrl App\app.exe /a'
reg_set "$run_key" 'Vtrl Profile' REG_EXPAND_SZ '%USERPROFILE%\vtrlkinds\mine.exe --tray'
reg_set "$run_key" 'Vtrl Bare' REG_SZ 'notepad'
reg_set "$run_key" 'Vtrl AppPaths' REG_SZ 'vtrlregistered -x'
reg_set "$run_key" 'Vtrl Wscript' REG_SZ 'wscript.exe //B "C:\vtrlkinds\scripts\start.vbs" /q'
reg_set "$run_key" 'Vtrl Cscript' REG_EXPAND_SZ '%SystemRoot%\system32\cscript.exe C:\vtrlkinds\scripts\start.vbs'
reg_set "$run_key" 'Vtrl Mshta' REG_SZ 'mshta C:\vtrlkinds\scripts\panel.hta'
reg_set "$run_key" 'Vtrl Cmd' REG_SZ 'cmd /c C:\vtrlkinds\scripts\login.cmd'
reg_set "$run_key" 'Vtrl CmdStart' REG_SZ 'cmd.exe /c start "" "C:\vtrlkinds\Vtrl App\other.exe" -s'
reg_set "$run_key" 'Vtrl PowerShell' REG_SZ \
    'powershell.exe -NoProfile -ExecutionPolicy Bypass -File C:\vtrlkinds\scripts\tray.ps1 -x'
reg_set "$run_key" 'Vtrl Regsvr32' REG_SZ 'regsvr32 /s C:\vtrlkinds\helper.dll'
reg_set "$run_key" 'Vtrl Rundll32' REG_SZ 'rundll32.exe C:\vtrlkinds\helper.dll,Start now'
reg_set "$run_key" 'Vtrl Missing' REG_SZ 'C:\vtrlkinds\gone\gone.exe -x'
reg_set "$run_key" 'Vtrl Text' REG_SZ 'not a command'
reg_set "$run_key" 'Vtrl Multi' REG_MULTI_SZ 'C:\vtrlkinds\tool.exe'
reg_set "$run_key" 'Vtrl Flags' REG_DWORD 1

rc=0
vtrl_wine 60 "$lc" list --json >"$out/list.json" 2>"$out/stderr" || rc=$?
assert_eq 0 "$rc" "exit code of list --json ($(cat "$out/stderr"))"

VTRL_PROFILE=$profile python3 - "$out/list.json" <<'PY' || fail "the command kinds (see the log)"
import json, os, sys

records = {r["EntryName"]: r for r in json.load(open(sys.argv[1], encoding="utf-8"))
           if r["EntryName"].startswith("Vtrl")}
ok = True
def expect(name, **values):
    global ok
    record = records.get(name)
    if record is None:
        ok = False
        print(f"{name}: no record")
        return
    for key, value in values.items():
        # Paths compare as Windows compares them (Wine's PATH spells "WindowsPowershell").
        same = (record[key].lower() == value.lower()) if key == "Launcher" else record[key] == value
        if not same:
            ok = False
            print(f"{name}.{key}: expected {value!r}, got {record[key]!r}")

system = "C:\\WINDOWS\\SYSTEM32"
kinds = "C:\\VTRLKINDS"
expect("Vtrl Quoted", Found=True, ExeFolder=kinds + "\\VTRL APP", ExeName="other.exe",
       Arguments="-min", HijackRisk=False, Launcher="", ValueType="REG_SZ")
# C:\vtrlkinds\Vtrl.exe runs instead of the program meant.
expect("Vtrl Hijacked", Found=True, ExeFolder=kinds, ExeName="vtrl.exe",
       Arguments="App\\app.exe /a", HijackRisk=True)
expect("Vtrl Profile", Found=True, ExeFolder=os.environ["VTRL_PROFILE"].upper() + "\\VTRLKINDS",
       ExeName="mine.exe", Arguments="--tray", ValueType="REG_EXPAND_SZ",
       CommandLine="%USERPROFILE%\\vtrlkinds\\mine.exe --tray")
expect("Vtrl Bare", Found=True, ExeFolder=system, ExeName="notepad.exe", HijackRisk=False)
expect("Vtrl AppPaths", Found=True, ExeFolder=kinds, ExeName="tool.exe", Arguments="-x",
       Company="Acme Tools Ltd")
expect("Vtrl Wscript", Found=True, ExeFolder=kinds + "\\SCRIPTS", ExeName="start.vbs",
       Arguments="/q", Launcher="C:\\windows\\system32\\wscript.exe")
expect("Vtrl Cscript", Found=True, ExeName="start.vbs", Launcher="C:\\windows\\system32\\cscript.exe")
expect("Vtrl Mshta", Found=True, ExeName="panel.hta", Launcher="C:\\windows\\system32\\mshta.exe")
expect("Vtrl Cmd", Found=True, ExeName="login.cmd", Launcher="C:\\windows\\system32\\cmd.exe")
expect("Vtrl CmdStart", Found=True, ExeFolder=kinds + "\\VTRL APP", ExeName="other.exe",
       Arguments="-s", Launcher="C:\\windows\\system32\\cmd.exe")
expect("Vtrl PowerShell", Found=True, ExeName="tray.ps1", Arguments="-x",
       Launcher="C:\\windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe")
expect("Vtrl Regsvr32", Found=True, ExeFolder=kinds, ExeName="helper.dll",
       Launcher="C:\\windows\\system32\\regsvr32.exe", ViaRundll=False)
expect("Vtrl Rundll32", Found=True, ExeFolder=kinds, ExeName="helper.dll", Arguments="Start now",
       Launcher="C:\\windows\\system32\\rundll32.exe", ViaRundll=True)
expect("Vtrl Missing", Found=False, ExeFolder=kinds + "\\GONE", ExeName="gone.exe",
       Arguments="-x", CommandLine="C:\\vtrlkinds\\gone\\gone.exe -x", FileSize=0)
expect("Vtrl Text", Found=False, CommandLine="not a command")
expect("Vtrl Multi", ValueType="REG_MULTI_SZ")
if "Vtrl Flags" in records:
    ok = False
    print("a REG_DWORD value is listed")
sys.exit(0 if ok else 1)
PY

# The missing program's record, restricted with "delete", goes like any other, backup first.
facts=$(vtrl_wine 30 "$VTRL_BIN/facts_probe.exe" | tr -d '\r')
data=$(unix_path "$(sed -n 's/^DataFolder=//p' <<<"$facts")")
mkdir -p "$data"
printf '%s\r\n' "" 'c:\vtrlkinds\gone' 'gone.exe' '-x' N Y 2 "" "" "" "" >"$data/ActionsDB.txt"
reg_set "$settings" Unknown REG_SZ NO
reg_set "$settings" NotifiWin REG_SZ NO
vtrl_start "$VTRL_BIN/vantorel.exe" startup
for _ in $(seq 150); do
    reg_missing "$run_key" 'Vtrl Missing' 2>/dev/null && break
    sleep 0.2
done
reg_missing "$run_key" 'Vtrl Missing' || fail "the missing program's record was not removed"
tr -d '\r' <"$data/BackupAndLog.txt" >"$out/backup.txt"
grep -qx 'gone.exe' "$out/backup.txt" || fail "no backup entry for gone.exe: $(cat "$out/backup.txt")"
grep -qxF 'C:\vtrlkinds\gone\gone.exe -x' "$out/backup.txt" || fail "the backup lacks the command"
# Every other record stays.
reg_get "$run_key" 'Vtrl Text' >/dev/null || fail "another record went too"
uidriver close 'Vantorel tray agent' || true
