#!/usr/bin/env bash
# The white and black lists and the removal log end to end through `vantorelc decisions` and
# `vantorelc log`: files in the data folder in CR LF and the ANSI code page, read back as JSON,
# CSV and a table in file order; a missing or unreadable file is one line on standard error and
# exit code 1; and no listing writes a file or makes the data folder.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"

lc=$VTRL_BIN/vantorelc.exe
out=$VTRL_CASE_DIR

# vantorelc ARGS...: stdout to $out/stdout, stderr to $out/stderr, the exit code in rc.
vantorelc() {
    rc=0
    vtrl_wine 60 "$lc" "$@" >"$out/stdout" 2>"$out/stderr" || rc=$?
}

# The probe's ordinary start makes the data folder; it goes again, so that the listings below
# start without one.
data=$(unix_path "$(vtrl_wine 30 "$VTRL_BIN/facts_probe.exe" | sed -n 's/^DataFolder=//p' | tr -d '\r')")
assert_eq "VTRL1" "$(basename "$data")" "data folder name"
[[ $data == "$(drive_c)"/users/*/AppData/Roaming/VTRL1 ]] || fail "data folder not in %APPDATA%: $data"
rm -rf "$data"

for command in decisions log; do
    vantorelc "$command" --json
    assert_eq 1 "$rc" "exit code of $command without its file"
    assert_eq "" "$(cat "$out/stdout")" "standard output of $command without its file"
    assert_eq 1 "$(tr -d '\r' <"$out/stderr" | wc -l)" "one line on standard error ($command)"
    grep -q 'does not exist\.' "$out/stderr" || fail "$command: $(cat "$out/stderr")"
done
grep -q 'BackupAndLog\.txt' "$out/stderr" || fail "the log's message names its file"
assert_no_file "$data" "a listing made the data folder"

vantorelc --help
grep -q 'vantorelc decisions \[--csv | --json\]' "$out/stdout" || fail "help: $(cat "$out/stdout")"
grep -q 'vantorelc log \[--csv | --json\]' "$out/stdout" || fail "help: $(cat "$out/stdout")"
vantorelc decisions --xml
assert_eq 2 "$rc" "exit code of an unknown option"

# crlf LINE...: the lines, each ended by CR LF, in Windows-1252 (the prefix's ANSI code page).
crlf() {
    printf '%s\r\n' "$@" | iconv -f UTF-8 -t WINDOWS-1252
}
# decision FOLDER NAME ARGUMENTS KILL DELETE STATUS: one 11-line entry.
decision() {
    crlf "" "$1" "$2" "$3" "$4" "$5" "$6" "" "" "" ""
}
separator=$(printf '=%.0s' $(seq 74))
# removal AT KIND LOCATION FOLDER NAME ARGUMENTS COMMAND: one 10-line entry.
removal() {
    crlf "$separator" "$1" "8-12-2026" "7:5:9" "$2" "$3" "$4" "$5" "$6" "$7"
}

mkdir -p "$data"
{
    decision 'c:\vtrl tools' 'tray.exe' '-a "quoted"' Y N 1
    decision 'c:\café' 'ads.exe' 'one, two' N Y 2
    decision 'c:\vtrl' 'undecided.exe' '' y N 0
    # Cut short: never listed.
    crlf "" 'c:\cut' 'short.exe' '' Y Y
} >"$data/ActionsDB.txt"
run_key='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run'
{
    removal '12/8/2026 7:05:09 AM' REGISTRY "$run_key\\Vtrl Tray" 'c:\vtrl tools' tray.exe '-a' \
        '"c:\vtrl tools\tray.exe" -a'
    removal '' SHORTCUT 'C:\users\me\Startup\Ads, Inc.lnk' 'c:\café' ads.exe '' 'c:\café\ads.exe'
} >"$data/BackupAndLog.txt"
before=$(cd "$data" && ls -la --time-style=full-iso . && sha256sum ActionsDB.txt BackupAndLog.txt)

vantorelc decisions --json
assert_eq 0 "$rc" "exit code of decisions --json ($(cat "$out/stderr"))"
python3 - "$out/stdout" <<'PY' || fail "decisions --json (see the log)"
import json, sys

entries = json.load(open(sys.argv[1], encoding="utf-8"))
expected = [
    {"ExeFolder": "c:\\vtrl tools", "ExeName": "tray.exe", "Arguments": '-a "quoted"',
     "DeleteRecord": False, "KillIfRunning": True, "Status": "1", "List": "white"},
    {"ExeFolder": "c:\\café", "ExeName": "ads.exe", "Arguments": "one, two",
     "DeleteRecord": True, "KillIfRunning": False, "Status": "2", "List": "black"},
    {"ExeFolder": "c:\\vtrl", "ExeName": "undecided.exe", "Arguments": "",
     "DeleteRecord": False, "KillIfRunning": False, "Status": "0", "List": "none"},
]
if entries != expected:
    print("expected", expected, "\ngot     ", entries)
    sys.exit(1)
for entry in entries:
    if list(entry) != list(expected[0]):
        print("field order", list(entry))
        sys.exit(1)
PY

vantorelc decisions --csv
assert_eq 0 "$rc" "exit code of decisions --csv"
expected_csv=$(printf '%s\r\n' \
    'ExeFolder,ExeName,Arguments,DeleteRecord,KillIfRunning,Status,List' \
    'c:\vtrl tools,tray.exe,"'"'"'-a ""quoted""",false,true,1,white' \
    'c:\café,ads.exe,"one, two",true,false,2,black' \
    'c:\vtrl,undecided.exe,,false,false,0,none' | od -An -c)
assert_eq "$expected_csv" "$(od -An -c <"$out/stdout")" "decisions --csv, byte for byte"

vantorelc decisions
assert_eq 0 "$rc" "exit code of decisions"
assert_eq 'ExeFolder      ExeName        Arguments    DeleteRecord  KillIfRunning  Status  List' \
    "$(head -n 1 "$out/stdout" | tr -d '\r')" "the table's header"
assert_eq 4 "$(wc -l <"$out/stdout")" "the table's lines"

vantorelc log --json
assert_eq 0 "$rc" "exit code of log --json ($(cat "$out/stderr"))"
VTRL_RUN_KEY=$run_key python3 - "$out/stdout" <<'PY' || fail "log --json (see the log)"
import json, os, sys

entries = json.load(open(sys.argv[1], encoding="utf-8"))
run_key = os.environ["VTRL_RUN_KEY"]
expected = [
    {"RemovedAt": "12/8/2026 7:05:09 AM", "RemovedDate": "8-12-2026", "RemovedTime": "7:5:9",
     "Kind": "REGISTRY", "FullLocation": run_key + "\\Vtrl Tray", "ExeFolder": "c:\\vtrl tools",
     "ExeName": "tray.exe", "Arguments": "-a", "CommandLine": '"c:\\vtrl tools\\tray.exe" -a'},
    {"RemovedAt": "", "RemovedDate": "8-12-2026", "RemovedTime": "7:5:9", "Kind": "SHORTCUT",
     "FullLocation": "C:\\users\\me\\Startup\\Ads, Inc.lnk", "ExeFolder": "c:\\café",
     "ExeName": "ads.exe", "Arguments": "", "CommandLine": "c:\\café\\ads.exe"},
]
if entries != expected or [list(e) for e in entries] != [list(e) for e in expected]:
    print("expected", expected, "\ngot     ", entries)
    sys.exit(1)
PY

vantorelc log --csv
assert_eq 0 "$rc" "exit code of log --csv"
expected_csv=$(printf '%s\r\n' \
    'RemovedAt,RemovedDate,RemovedTime,Kind,FullLocation,ExeFolder,ExeName,Arguments,CommandLine' \
    "12/8/2026 7:05:09 AM,8-12-2026,7:5:9,REGISTRY,$run_key\\Vtrl Tray,c:\\vtrl tools,tray.exe,'-a,\"\"\"c:\\vtrl tools\\tray.exe\"\" -a\"" \
    ',8-12-2026,7:5:9,SHORTCUT,"C:\users\me\Startup\Ads, Inc.lnk",c:\café,ads.exe,,c:\café\ads.exe' |
    od -An -c)
assert_eq "$expected_csv" "$(od -An -c <"$out/stdout")" "log --csv, byte for byte"

vantorelc log
assert_eq 0 "$rc" "exit code of log"
assert_eq 3 "$(wc -l <"$out/stdout")" "the log table's lines"

after=$(cd "$data" && ls -la --time-style=full-iso . && sha256sum ActionsDB.txt BackupAndLog.txt)
assert_eq "$before" "$after" "the listings changed the data folder"
[[ -z $(find "$(drive_c)" -name fileerror.txt -print -quit) ]] || fail "a listing wrote fileerror.txt"

# A folder where the decision file should be: it is there, but cannot be read.
mv "$data/ActionsDB.txt" "$out/ActionsDB.txt"
mkdir "$data/ActionsDB.txt"
vantorelc decisions --csv
assert_eq 1 "$rc" "exit code of an unreadable decision file"
assert_eq "" "$(cat "$out/stdout")" "standard output of an unreadable decision file"
grep -q '^Cannot read .*ActionsDB\.txt\.' "$out/stderr" || fail "unreadable: $(cat "$out/stderr")"
