#!/usr/bin/env bash
# Run values of every registry type, of 1 MB and with backslashes in their names, under the
# user's Run, RunOnce and RunOnceEx keys. The inventory lists the string types (a REG_MULTI_SZ
# as its strings joined, an odd byte at the end of a string dropped) and quietly skips the rest;
# a name with a backslash is read by its own name, also where a subkey named like its front
# holds a value named like its back; a restricted one is deleted exactly, after its backup
# entry, and neither the subkey nor its value.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"

program=$VTRL_BIN/vantorel.exe
lc=$VTRL_BIN/vantorelc.exe
out=$VTRL_CASE_DIR
hkcu='HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion'
settings='HKCU\Software\VB and VBA Program Settings\VTRL\Settings'
data=$(vtrl_data_folder)
mkdir -p "$(drive_c)/vtrltest"
cp "$VTRL_BIN/version_none.exe" "$(drive_c)/vtrltest/tool.exe"
cp "$VTRL_BIN/version_none.exe" "$(drive_c)/vtrltest/badtool.exe"

# Every type in each of the three keys, written by regedit as .reg data.
python3 - "$out/values.reg" <<'PY'
import sys
def hexbytes(data):
    return ",".join("%02x" % b for b in data)
def utf16(text):
    return text.encode("utf-16-le")
tool = "C:\\vtrltest\\tool.exe"
lines = ["Windows Registry Editor Version 5.00", ""]
for key in ("Run", "RunOnce", "RunOnceEx"):
    lines.append("[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\%s]" % key)
    v = lambda name, data: lines.append('"Vtrl %s %s"=%s' % (key, name, data))
    v("sz", '"%s /sz"' % tool.replace("\\", "\\\\"))
    v("expand", "hex(2):" + hexbytes(utf16("%SystemRoot%\\vtrltest\\..\\..\\vtrltest\\tool.exe /expand\0")))
    v("multi", "hex(7):" + hexbytes(utf16(tool + "\0 /multi\0\0")))
    v("odd sz", "hex(1):" + hexbytes(utf16(tool + " /odd") + b"\x41"))
    v("binary", "hex:" + hexbytes(utf16(tool + "\0")))
    v("odd binary", "hex:" + hexbytes(b"C:\\vtrltest\\tool.exe"))
    v("dword", "dword:00000001")
    v("qword", "hex(b):" + hexbytes((0x100000002).to_bytes(8, "little")))
    v("none", "hex(0):" + hexbytes(utf16(tool + "\0")))
    v("none empty", "hex(0):")
    # A name with a backslash, read by the name itself.
    lines.append('"Vtrl %s\\\\alone"="%s"' % (key, tool.replace("\\", "\\\\")))
    lines.append("")
# 1 MB of data: the program and half a million characters of arguments.
lines.insert(3, '"Vtrl big"="%s %s"' % (tool.replace("\\", "\\\\"), "a" * 524000))
# Version 5 files are UTF-16, and their hex data is the value's bytes as they are.
open(sys.argv[1], "wb").write(b"\xff\xfe" + ("\r\n".join(lines) + "\r\n").encode("utf-16-le"))
PY
vtrl_wine 60 regedit /S "$(win_path "$out/values.reg")"

rc=0
vtrl_wine 60 "$lc" list --json >"$out/list.json" 2>"$out/list.err" || rc=$?
assert_eq 0 "$rc" "exit code of list ($(cat "$out/list.err"))"
HKCU=$hkcu python3 - "$out/list.json" <<'PY' || fail "the inventory (see the log)"
import json, os, sys
records = [r for r in json.load(open(sys.argv[1], encoding="utf-8"))]
hkcu = os.environ["HKCU"]
got = [(r["Location"][len(hkcu) + 1:], r["EntryName"], r["ExeName"], r["Arguments"][:20]) for r in records]
expected = []
for key in ("Run", "RunOnce", "RunOnceEx"):
    if key == "Run":
        expected.append((key, "Vtrl big", "tool.exe", "a" * 20))
    expected += [
        (key, "Vtrl %s expand" % key, "tool.exe", "/expand"),
        (key, "Vtrl %s multi" % key, "tool.exe", "/multi"),
        (key, "Vtrl %s odd sz" % key, "tool.exe", "/odd"),
        (key, "Vtrl %s sz" % key, "tool.exe", "/sz"),
        (key, "Vtrl %s\\alone" % key, "tool.exe", ""),
    ]
if sorted(got) != sorted(expected):
    print("expected", sorted(expected), "\ngot     ", sorted(got))
    sys.exit(1)
big = [r for r in records if r["EntryName"] == "Vtrl big"][0]
if big["Arguments"] != "a" * 524000:
    print("the 1 MB value's arguments:", len(big["Arguments"]))
    sys.exit(1)
PY

# A restricted program behind a backslash name, beside a subkey "Vtrl" whose value "Bad" starts
# another program: the record is the value's own, and so are its removal and backup.
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
reg_set "$settings" SMode REG_SZ Every
reg_set "$settings" NotifiWin REG_SZ NO
reg_set "$settings" Sound REG_SZ NO
reg_set "$settings" Unknown REG_SZ NO
printf '%s\r\n' "" 'c:\vtrltest' 'badtool.exe' '' N Y 2 "" "" "" "" >"$data/ActionsDB.txt"
cat >"$out/backslash.reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run]
"Vtrl\\Bad"="C:\\vtrltest\\badtool.exe"
"Vtrl"="C:\\vtrltest\\tool.exe /sibling"

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run\Vtrl]
"Bad"="C:\\vtrltest\\tool.exe /subkey"
EOF
vtrl_wine 60 regedit /S "$(win_path "$out/backslash.reg")"
reg_get "$run_key" 'Vtrl\Bad' >/dev/null || fail "the backslash name was not written"
rc=0
vtrl_wine 90 "$program" startup >"$out/pass.out" 2>&1 || rc=$?
assert_eq 0 "$rc" "exit code of the check pass"
assert_no_crash "the check pass" "$out/pass.out"
reg_missing "$run_key" 'Vtrl\Bad' || fail "the restricted value with a backslash name stays"
assert_eq 'C:\vtrltest\tool.exe /subkey' "$(reg_get "$run_key\\Vtrl" Bad)" "the subkey's value"
assert_eq 'C:\vtrltest\tool.exe /sibling' "$(reg_get "$run_key" Vtrl)" "the sibling named like the subkey"
assert_eq 'C:\vtrltest\tool.exe /sz' "$(reg_get "$run_key" 'Vtrl Run sz')" "an unrelated value"
reg_get "$run_key" 'Vtrl Run\alone' >/dev/null || fail "the lone backslash name went"
# Its backup entry names the value exactly, so that a restore writes it back where it was.
tr -d '\r' <"$data/BackupAndLog.txt" >"$out/log.txt"
assert_eq 10 "$(wc -l <"$out/log.txt")" "one backup entry"
assert_eq "$hkcu\\Run\\Vtrl\\Bad" "$(sed -n 6p "$out/log.txt")" "the entry's location"
assert_eq 'badtool.exe' "$(sed -n 8p "$out/log.txt")" "the entry's executable"
assert_eq 'C:\vtrltest\badtool.exe' "$(sed -n 10p "$out/log.txt")" "the entry's command line"
