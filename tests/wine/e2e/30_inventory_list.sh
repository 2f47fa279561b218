#!/usr/bin/env bash
# The startup inventory end to end through `vantorelc list`: values under all six Run-type keys
# (the machine's only for an administrator), shortcuts in both Startup folders made through the
# shell, running programs, 8.3 paths, environment variables, the default value, non-string and
# dangling entries, 150 entries at once, the CSV and the exit codes - and a listing that leaves no trace.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"

lc=$VTRL_BIN/vantorelc.exe
out=$VTRL_CASE_DIR
settings='HKCU\Software\VB and VBA Program Settings\VTRL'

# vantorelc ARGS...: stdout to $out/stdout, stderr to $out/stderr, the exit code in rc.
vantorelc() {
    rc=0
    vtrl_wine 60 "$lc" "$@" >"$out/stdout" 2>"$out/stderr" || rc=$?
}

# A fresh prefix has nothing that starts: no records.
vantorelc list --json
assert_eq 1 "$rc" "exit code without records"
assert_eq "" "$(cat "$out/stdout")" "standard output without records"
assert_eq 1 "$(tr -d '\r' <"$out/stderr" | wc -l)" "one line on standard error"
grep -q 'found no programs that start automatically' "$out/stderr" ||
    fail "no-records message: $(cat "$out/stderr")"

vantorelc list --bogus
assert_eq 2 "$rc" "exit code of an unknown option"
grep -q '^Usage: vantorelc list' "$out/stderr" || fail "usage text: $(cat "$out/stderr")"
vantorelc --help
assert_eq 0 "$rc" "exit code of --help"
grep -q -- '--json' "$out/stdout" || fail "help text: $(cat "$out/stdout")"

# The programs the entries name, copies of the fixtures.
inv=$(drive_c)/vtrlinv
mkdir -p "$inv/LongFolderName" "$(drive_c)/Program Files/Vtrl Vendor"
cp "$VTRL_BIN/version_none.exe" "$inv/plain.exe"
cp "$VTRL_BIN/version_full.exe" "$inv/running.exe"
cp "$VTRL_BIN/version_full.exe" "$inv/my.tool.exe"
cp "$VTRL_BIN/version_empty_company.exe" "$inv/LongFolderName/LongProgramName.exe"
cp "$VTRL_BIN/version_two_tables.exe" "$(drive_c)/Program Files/Vtrl Vendor/tool.exe"
cp "$VTRL_BIN/version_none.exe" "$inv/linked.exe"
cp "$VTRL_BIN/version_none.exe" "$inv/bulk.exe"

# No blanks in the path: cmd under Wine passes quotes in a for set on to the path.
short=$(vtrl_wine 30 cmd /c 'for %I in (C:\vtrlinv\LongFolderName\LongProgramName.exe) do @echo %~sI' |
    tr -d '\r')
[[ $short == *'~'* ]] || fail "no 8.3 form of the long path: $short"

run_tail='Microsoft\Windows\CurrentVersion'
reg_set "HKLM\\Software\\$run_tail\\Run" 'Vtrl HKLM Run' REG_SZ 'C:\vtrlinv\plain.exe'
reg_set "HKLM\\Software\\$run_tail\\RunOnce" 'Vtrl HKLM RunOnce' REG_SZ 'C:\vtrlinv\plain.exe /once'
reg_set "HKLM\\Software\\$run_tail\\RunOnceEx" 'Vtrl HKLM RunOnceEx' REG_SZ '"C:\vtrlinv\plain.exe" ex'
# Created in name order: Wine lists a key's values by name, Windows mostly in creation order,
# and the inventory keeps whichever order the registry gives.
reg_set "HKCU\\Software\\$run_tail\\Run" '' REG_SZ 'C:\vtrlinv\plain.exe default'
reg_set "HKCU\\Software\\$run_tail\\Run" 'Vtrl Dotted' REG_SZ '"C:\vtrlinv\my.tool.exe" wait'
reg_set "HKCU\\Software\\$run_tail\\Run" 'Vtrl Flags' REG_DWORD 1
reg_set "HKCU\\Software\\$run_tail\\Run" 'Vtrl Missing' REG_SZ 'C:\vtrlinv\missing.exe'
reg_set "HKCU\\Software\\$run_tail\\Run" 'Vtrl ProgramFiles' REG_SZ '"%ProgramFiles%\Vtrl Vendor\tool.exe" -X'
reg_set "HKCU\\Software\\$run_tail\\Run" 'Vtrl Running' REG_SZ 'C:\vtrlinv\running.exe wait'
reg_set "HKCU\\Software\\$run_tail\\Run" 'Vtrl Short' REG_SZ "$short -Q"
reg_set "HKCU\\Software\\$run_tail\\Run" 'Vtrl SystemRoot' REG_EXPAND_SZ '%SystemRoot%\System32\notepad.exe /A'
reg_set "HKCU\\Software\\$run_tail\\RunOnce" 'Vtrl HKCU RunOnce' REG_SZ 'notepad.exe'
reg_set "HKCU\\Software\\$run_tail\\RunOnceEx" 'Vtrl HKCU RunOnceEx' REG_SZ 'C:\vtrlinv\plain.exe ex'

# 150 more in one import: one reg.exe run each would take longer than the rest of the case.
bulk_reg=$out/bulk.reg
{
    printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce]\r\n'
    for n in $(seq -w 1 150); do
        printf '"Vtrl Bulk %s"="C:\\\\vtrlinv\\\\bulk.exe /n %s"\r\n' "$n" "$n"
    done
} >"$bulk_reg"
vtrl_wine 60 regedit /S "$(win_path "$bulk_reg")"

appdata=$(win_env APPDATA)
user_startup="$appdata\\Microsoft\\Windows\\Start Menu\\Programs\\Startup"
common_startup='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\StartUp'
vtrl_wine 30 "$VTRL_BIN/make_shortcut.exe" "$user_startup\\Vtrl User.lnk" 'C:\vtrlinv\linked.exe' \
    '--from-shortcut' || fail "cannot write the user's shortcut"
vtrl_wine 30 "$VTRL_BIN/make_shortcut.exe" "$common_startup\\Vtrl Common.lnk" \
    'C:\vtrlinv\linked.exe' || fail "cannot write the all-users shortcut"

vtrl_start "$inv/running.exe" wait
vtrl_start "$inv/my.tool.exe" wait
# Both must be in the process list before the scan.
for _ in $(seq 50); do
    listed=$(vtrl_wine 30 cmd /c tasklist 2>/dev/null | tr -d '\r' || true)
    if grep -qi '^running.exe' <<<"$listed" && grep -qi '^my.tool.exe' <<<"$listed"; then
        break
    fi
    sleep 0.2
done

vantorelc list --json
assert_eq 0 "$rc" "exit code of list --json ($(cat "$out/stderr"))"
cp "$out/stdout" "$out/admin.json"

plain_size=$(stat -c %s "$inv/plain.exe")
VTRL_USER_STARTUP=$user_startup VTRL_COMMON_STARTUP=$common_startup VTRL_PLAIN_SIZE=$plain_size \
    python3 - "$out/admin.json" admin <<'PY' || fail "the administrator's inventory (see the log)"
import json, os, sys

records = json.load(open(sys.argv[1], encoding="utf-8"))
fields = ["Kind", "Location", "EntryName", "CommandLine", "ExeFolder", "ExeName", "Arguments",
          "Company", "Description", "FileSize", "IsRunning", "ViaRundll", "Found", "Launcher",
          "HijackRisk", "ValueType", "Signer", "Verified", "SignatureStatus", "Sha256", "Opener",
          "HiddenFile", "SystemFile", "NeedsAdministrator", "EnabledInWindows",
          "DisabledSince"]
ok = True
def check(what, expected, actual):
    global ok
    if expected != actual:
        ok = False
        print(f"{what}: expected {expected!r}, got {actual!r}")

for record in records:
    check("fields", fields, list(record))
ours = [r for r in records if r["EntryName"].startswith("Vtrl") or r["EntryName"] == ""]
by_name = {r["EntryName"]: r for r in ours}
hklm = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
hkcu = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\"
bulk = [f"Vtrl Bulk {n:03d}" for n in range(1, 151)]
expected_order = (["Vtrl HKLM Run", "Vtrl HKLM RunOnce", "Vtrl HKLM RunOnceEx", "",
                   "Vtrl Dotted", "Vtrl Missing", "Vtrl ProgramFiles", "Vtrl Running", "Vtrl Short",
                   "Vtrl SystemRoot"] + bulk +
                  ["Vtrl HKCU RunOnce", "Vtrl HKCU RunOnceEx", "Vtrl User.lnk", "Vtrl Common.lnk"])
check("slot order", expected_order, [r["EntryName"] for r in ours])
check("DWORD entries", [], [n for n in ("Vtrl Flags",) if n in by_name])

def expect(name, **values):
    record = by_name.get(name)
    if record is None:
        check(name, "a record", None)
        return
    for key, value in values.items():
        check(f"{name!r}.{key}", value, record[key])

size = int(os.environ["VTRL_PLAIN_SIZE"])
expect("Vtrl HKLM Run", Kind="REGISTRY", Location=hklm + "Run", CommandLine="C:\\vtrlinv\\plain.exe",
       ExeFolder="C:\\VTRLINV", ExeName="plain.exe", Arguments="", Company="", Description="",
       FileSize=size, IsRunning=False, ViaRundll=False, Found=True, Launcher="", HijackRisk=False,
       ValueType="REG_SZ")
# A program that cannot be found is listed all the same, with its command in full.
expect("Vtrl Missing", CommandLine="C:\\vtrlinv\\missing.exe", ExeFolder="C:\\VTRLINV",
       ExeName="missing.exe", Found=False, FileSize=0)
expect("Vtrl HKLM RunOnce", Location=hklm + "RunOnce", Arguments="/once")
expect("Vtrl HKLM RunOnceEx", Location=hklm + "RunOnceEx", Arguments="ex")
expect("Vtrl Running", Location=hkcu + "Run", ExeName="running.exe", Arguments="wait",
       Company="Acme Tools Ltd", Description="Acme Startup Helper", IsRunning=True)
# Found running by its full path, two points in its name and all.
expect("Vtrl Dotted", ExeName="my.tool.exe", IsRunning=True, Company="Acme Tools Ltd")
expect("Vtrl Short", ExeFolder="C:\\VTRLINV\\LONGFOLDERNAME", ExeName="longprogramname.exe",
       Arguments="-Q", Company="", Description="No Company Here")
# The command as stored; the variables expanded only to find the program.
expect("Vtrl SystemRoot", CommandLine="%SystemRoot%\\System32\\notepad.exe /A",
       ExeFolder="C:\\WINDOWS\\SYSTEM32", ExeName="notepad.exe", Arguments="/A",
       ValueType="REG_EXPAND_SZ")
expect("Vtrl ProgramFiles", CommandLine='"%ProgramFiles%\\Vtrl Vendor\\tool.exe" -X',
       ExeFolder="C:\\PROGRAM FILES\\VTRL VENDOR", ExeName="tool.exe", Arguments="-X",
       Company="Erste Firma GmbH", Description="Erstes Werkzeug")
expect("", Location=hkcu + "Run", CommandLine="C:\\vtrlinv\\plain.exe default", Arguments="default")
# A bare name: the system folder is searched before the Windows folder, as Windows does.
expect("Vtrl HKCU RunOnce", Location=hkcu + "RunOnce", CommandLine="notepad.exe",
       ExeFolder="C:\\WINDOWS\\SYSTEM32", ExeName="notepad.exe")
expect("Vtrl HKCU RunOnceEx", Location=hkcu + "RunOnceEx")
expect("Vtrl Bulk 150", Location=hkcu + "RunOnce", Arguments="/n 150", ExeName="bulk.exe")
lower = lambda r: r["Location"].lower()
expect("Vtrl User.lnk", Kind="SHORTCUT", CommandLine='"C:\\vtrlinv\\linked.exe" --from-shortcut',
       ExeFolder="C:\\VTRLINV", ExeName="linked.exe", Arguments="--from-shortcut")
expect("Vtrl Common.lnk", Kind="SHORTCUT", CommandLine='"C:\\vtrlinv\\linked.exe" ', Arguments="")
for name, folder in (("Vtrl User.lnk", "VTRL_USER_STARTUP"), ("Vtrl Common.lnk", "VTRL_COMMON_STARTUP")):
    if name in by_name:
        check(f"{name} folder", os.environ[folder].lower(), by_name[name]["Location"].lower())
print(f"{len(records)} records, {len(ours)} of this case")
sys.exit(0 if ok else 1)
PY

# CSV: the header row and the machine's Run value.
vantorelc list --csv
assert_eq 0 "$rc" "exit code of list --csv"
tr -d '\r' <"$out/stdout" >"$out/list.csv"
assert_eq 'Kind,Location,EntryName,CommandLine,ExeFolder,ExeName,Arguments,Company,Description,FileSize,IsRunning,ViaRundll,Found,Launcher,HijackRisk,ValueType,Signer,Verified,SignatureStatus,Sha256,Opener,HiddenFile,SystemFile,NeedsAdministrator,EnabledInWindows,DisabledSince' \
    "$(head -n 1 "$out/list.csv")" "CSV header"
assert_eq "REGISTRY,HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run,Vtrl HKLM Run,C:\\vtrlinv\\plain.exe,C:\\VTRLINV,plain.exe,,,,$plain_size,false,false,true,,false,REG_SZ,,false,Not signed,$(sha256sum "$inv/plain.exe" | cut -d' ' -f1),,false,false,false,true," \
    "$(grep -F ',Vtrl HKLM Run,' "$out/list.csv")" "CSV row"
grep -qF ',"""C:\vtrlinv\my.tool.exe"" wait",' "$out/list.csv" || fail "CSV quoting of a quoted command"
assert_eq 164 "$(($(wc -l <"$out/list.csv") - 1))" "CSV rows"

# The table: one line per record under a header.
vantorelc list
assert_eq 0 "$rc" "exit code of list"
assert_eq 165 "$(wc -l <"$out/stdout")" "table lines"
head -n 1 "$out/stdout" | grep -q '^Kind  *Location  *EntryName' || fail "table header"

# Read-only: no first-run stamping, no data folder, no step marker.
reg_missing "$settings\\Remind"
reg_missing "$settings\\Data"
assert_no_file "$appdata\\VTRL1" "list created the data folder"
[[ -z $(find "$(drive_c)" -name fileerror.txt -print -quit) ]] || fail "list wrote fileerror.txt"
reg_missing 'HKEY_LOCAL_MACHINE\Software\Microsoft' Test

# A standard user: the machine keys and the all-users folder too, each record of them marked as
# needing an administrator; HKCU is the copied one, and this user's own Startup folder is new
# and empty.
run_as_standard_user "$lc" list --json >"$out/standard.json"
python3 - "$out/standard.json" <<'PY' || fail "the standard user's inventory"
import json, sys
records = json.load(open(sys.argv[1], encoding="utf-8"))
names = [r["EntryName"] for r in records]
machine = [r for r in records if r["Location"].startswith("HKEY_LOCAL_MACHINE")
           or r["EntryName"] == "Vtrl Common.lnk"]
unmarked = [r["EntryName"] for r in machine if not r["NeedsAdministrator"]]
marked = [r["EntryName"] for r in records if r["NeedsAdministrator"] and r not in machine]
if (unmarked or marked or "Vtrl Common.lnk" not in names
        or not any("HKLM" in n for n in names)
        or "Vtrl Running" not in names or "Vtrl Bulk 150" not in names):
    print("standard user sees", names, "unmarked", unmarked, "marked", marked)
    sys.exit(1)
PY
