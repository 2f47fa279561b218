#!/usr/bin/env bash
# `vantorelc show` end to end: a Run value and a Startup-folder shortcut that start one running
# program with a version resource, and a Run value whose program is missing. Each record's facts
# by name and by number, in the table, CSV and JSON: the place in words, the command as stored,
# the program with its description, company, version, size and time of last change (set on the
# file), its running state, its signature, and the other record of the same program; the labels
# in the user's language; an unknown record on standard error with exit code 1. The record page
# of the Run value and of the shortcut in the manager window shows the same facts as the table.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=tests/wine/manager_window.sh
source "$(dirname "$0")/../manager_window.sh"

lc=$VTRL_BIN/vantorelc.exe
out=$VTRL_CASE_DIR
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'

# vantorelc ARGS...: stdout to $out/stdout, stderr to $out/stderr, the exit code in rc.
vantorelc() {
    rc=0
    vtrl_wine 60 "$lc" "$@" >"$out/stdout" 2>"$out/stderr" || rc=$?
}

t=$(drive_c)/vtrlfacts
mkdir -p "$t"
cp "$VTRL_BIN/version_full.exe" "$t/TrayHelper.exe"
touch -d '2001-02-03 04:05:06 UTC' "$t/TrayHelper.exe"
size=$(stat -c %s "$t/TrayHelper.exe")
reg_set "$run_key" 'Vtrl Gone' REG_SZ '"C:\vtrlfacts\gone.exe" -x'
reg_set "$run_key" 'Vtrl Tray' REG_SZ 'C:\vtrlfacts\TrayHelper.exe wait'
startup_win=$(vtrl_wine 30 "$VTRL_BIN/facts_probe.exe" | tr -d '\r' | sed -n 's/^StartupFolder=//p')
[[ -n $startup_win ]] || fail "no Startup folder"
mkdir -p "$(unix_path "$startup_win")"
vtrl_wine 30 "$VTRL_BIN/make_shortcut.exe" "$startup_win\\Vtrl Tray.lnk" \
    'C:\vtrlfacts\TrayHelper.exe' '--from-link' || fail "cannot write the shortcut"

vtrl_start "$t/TrayHelper.exe" wait
for _ in $(seq 50); do
    if vtrl_wine 30 cmd /c tasklist 2>/dev/null | tr -d '\r' | grep -qi '^TrayHelper.exe'; then
        break
    fi
    sleep 0.2
done

vantorelc show 'vtrl tray' --json
assert_eq 0 "$rc" "exit code of show --json ($(cat "$out/stderr"))"
cp "$out/stdout" "$out/run.json"
vantorelc show 'Vtrl Tray.lnk' --json
assert_eq 0 "$rc" "exit code of show for the shortcut"
cp "$out/stdout" "$out/link.json"
vantorelc show 'VTRL GONE' --json
assert_eq 0 "$rc" "exit code of show for the missing program"
cp "$out/stdout" "$out/gone.json"

VTRL_SIZE=$size VTRL_STARTUP=$startup_win python3 - "$out" <<'PY' || fail "the facts (see the log)"
import json, os, sys

out = sys.argv[1]
size = int(os.environ["VTRL_SIZE"])
startup = os.environ["VTRL_STARTUP"]
run = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"
fields = ["Index", "Location", "EntryName", "CommandLine", "ProgramPath", "Description",
          "Company", "Version", "Size", "Modified", "Running", "Signature", "AlsoStartedFrom"]
problems = []

def one(name):
    records = json.load(open(os.path.join(out, name), encoding="utf-8"))
    if len(records) != 1 or list(records[0]) != fields:
        problems.append(f"{name}: {records!r}")
        return dict.fromkeys(fields, None)
    return records[0]

# Each record: the fields it must hold exactly, and a rule for the time of its last change.
tray = one("run.json")
link = one("link.json")
gone = one("gone.json")
expected = {
    "run": (tray, {
        "Location": "Your Run key: " + run, "EntryName": "Vtrl Tray",
        "CommandLine": "C:\\vtrlfacts\\TrayHelper.exe wait",
        "ProgramPath": "C:\\vtrlfacts\\TrayHelper.exe", "Description": "Acme Startup Helper",
        "Company": "Acme Tools Ltd", "Version": "2.5.0.0",
        "Size": f"{(size + 1023) // 1024} KB ({size} bytes)", "Running": "Yes",
        "Signature": "Not signed", "AlsoStartedFrom": "Your Startup folder: Vtrl Tray.lnk"}),
    "link": (link, {
        "Location": "Your Startup folder: " + startup, "EntryName": "Vtrl Tray.lnk",
        "CommandLine": '"C:\\vtrlfacts\\TrayHelper.exe" --from-link',
        **{same: tray[same] for same in ["ProgramPath", "Description", "Company", "Version",
                                         "Size", "Modified", "Running", "Signature"]},
        "AlsoStartedFrom": "Your Run key: Vtrl Tray"}),
    "gone": (gone, {
        "Location": "Your Run key: " + run, "EntryName": "Vtrl Gone",
        "ProgramPath": "File not found: C:\\VTRLFACTS\\gone.exe",
        **dict.fromkeys(["Description", "Company", "Version", "Size", "Modified", "Signature"],
                        "File not found"),
        "Running": "No", "AlsoStartedFrom": ""}),
}
for what, (record, wanted) in expected.items():
    for field, value in wanted.items():
        if record[field] != value:
            problems.append(f"{what}: {field}: expected {value!r}, got {record[field]!r}")
# Set on the file as 2001-02-03 04:05:06 UTC; shown in the user's format and time zone.
if not tray["Modified"] or "2001" not in tray["Modified"] or ":05:06" not in tray["Modified"]:
    problems.append(f"run: Modified: {tray['Modified']!r}")
print("\n".join(problems))
sys.exit(1 if problems else 0)
PY

# By number, as `list` counts the records; the table labels each fact.
vantorelc list --json
assert_eq 0 "$rc" "exit code of list"
index=$(python3 -c 'import json,sys; print([r["EntryName"] for r in json.load(open(sys.argv[1], encoding="utf-8"))].index("Vtrl Tray"))' "$out/stdout")
vantorelc show "$index"
assert_eq 0 "$rc" "exit code of show by number"
tr -d '\r' <"$out/stdout" >"$out/table.txt"
assert_eq "#$index" "$(head -1 "$out/table.txt")" "the record's number first"
grep -qx 'Value name: Vtrl Tray' "$out/table.txt" || fail "table: $(cat "$out/table.txt")"
grep -qx 'Company: Acme Tools Ltd' "$out/table.txt" || fail "table: $(cat "$out/table.txt")"
grep -qx 'Also started from: Your Startup folder: Vtrl Tray.lnk' "$out/table.txt" ||
    fail "table: $(cat "$out/table.txt")"
vantorelc show "$index" --csv
assert_eq 0 "$rc" "exit code of show --csv"
assert_eq 'Index,Location,EntryName,CommandLine,ProgramPath,Description,Company,Version,Size,Modified,Running,Signature,AlsoStartedFrom' \
    "$(head -1 "$out/stdout" | tr -d '\r')" "CSV header"
assert_eq 2 "$(tr -d '\r' <"$out/stdout" | wc -l)" "CSV lines"

# The record page of each row of TrayHelper.exe: the command line in its selectable box, the other
# facts in the scrolling box, both shown; together the table's lines for that record, the
# program's SHA-256 (which the table does not have) aside.
page_facts() { # ENTRY: the page's facts of the record, as the table's lines, into $out/page.txt
    local row command name
    # The list names the program by its description; the rows in view are read until one is
    # missing.
    for ((row = 0; row < 40; row++)); do
        name=$(uidriver text "$window" "@BAexe($row)" 2>/dev/null) || break
        [[ $name == 'Acme Startup Helper' ]] || continue
        uidriver click "$window" "@BAexe($row)"
        uidriver wait-text "$window" @Label1 TRAYHELPER.EXE 5000
        grep -qxF "$(text_of FACTS-FILENAME): $1" <(uidriver text "$window" @TextFacts | tr -d '\r') ||
            grep -qxF "$(text_of FACTS-VALUENAME): $1" <(uidriver text "$window" @TextFacts | tr -d '\r') ||
            { uidriver click "$window" @Command1; continue; }
        for control in LabelCommandLine TextCommandLine LabelCopy TextFacts; do
            [[ $(control_state "$control" visible) == 1 ]] || fail "$control is not shown for $1"
        done
        command=$(uidriver text "$window" @TextCommandLine)
        { printf '%s %s\n' "$(uidriver text "$window" @LabelCommandLine)" "$command"
          uidriver text "$window" @TextFacts | tr -d '\r' | grep -v '^SHA-256: '; } >"$out/page.txt"
        return 0
    done
    fail "no record page shows the entry $1"
}
english=$VTRL_BIN/Languages/English.ini
text_of() { sed -n "s/^$1=//p" "$english" | tr -d '\r'; }
open_window
for entry in 'Vtrl Tray' 'Vtrl Tray.lnk'; do
    vantorelc show "$entry"
    assert_eq 0 "$rc" "exit code of show '$entry'"
    page_facts "$entry"
    # The table in the order of the page: the command line first, then the rest.
    tr -d '\r' <"$out/stdout" | sed 1d >"$out/table.txt"
    { grep "^$(text_of FACTS-COMMANDLINE): " "$out/table.txt"
      grep -v "^$(text_of FACTS-COMMANDLINE): " "$out/table.txt"; } >"$out/expected.txt"
    diff "$out/expected.txt" "$out/page.txt" >&2 || fail "the record page of '$entry' differs from show"
    screenshot "82_record_page_${entry// /_}.png"
    uidriver click "$window" @Command1
done
close_window

# The user's language labels the facts; the console gets UTF-8.
reg_set "$settings" Language REG_SZ German
vantorelc show 'vtrl tray'
assert_eq 0 "$rc" "exit code of show in German"
grep -q '^Ort: Run-Schlüssel (nur für Sie): HKEY_CURRENT_USER' "$out/stdout" ||
    fail "German table: $(cat "$out/stdout")"
grep -q '^Läuft gerade: Ja' "$out/stdout" || fail "German table: $(cat "$out/stdout")"

vantorelc show 'No Such Record'
assert_eq 1 "$rc" "exit code of an unknown record"
assert_eq "" "$(cat "$out/stdout")" "standard output of an unknown record"
assert_eq 'No startup record has the number or the name "No Such Record". "vantorelc list" shows them all.' \
    "$(tr -d '\r' <"$out/stderr")" "message of an unknown record"
vantorelc show
assert_eq 2 "$rc" "exit code of show without a record"
