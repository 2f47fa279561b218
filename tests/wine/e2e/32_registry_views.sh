#!/usr/bin/env bash
# Both registry views through `vantorelc list --json`: a value that a 32-bit installer writes
# (reg.exe /reg:32 opens the key with KEY_WOW64_32KEY) is listed under WOW6432Node, once, beside
# a 64-bit value of the same name; a standard user sees neither.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"

lc=$VTRL_BIN/vantorelc.exe
out=$VTRL_CASE_DIR
run_key='HKLM\Software\Microsoft\Windows\CurrentVersion'

mkdir -p "$(drive_c)/vtrlviews"
cp "$VTRL_BIN/version_none.exe" "$(drive_c)/vtrlviews/helper32.exe"
cp "$VTRL_BIN/version_none.exe" "$(drive_c)/vtrlviews/helper64.exe"

for key in Run RunOnce RunOnceEx; do
    vtrl_wine 30 reg add "$run_key\\$key" /v "Vtrl View $key" /t REG_SZ \
        /d "C:\\vtrlviews\\helper32.exe /$key" /reg:32 /f >/dev/null 2>&1 ||
        fail "cannot write the 32-bit view's $key"
done
vtrl_wine 30 reg add "$run_key\\Run" /v 'Vtrl View Run' /t REG_SZ \
    /d 'C:\vtrlviews\helper64.exe /native' /reg:64 /f >/dev/null 2>&1 ||
    fail "cannot write the 64-bit view's Run"

rc=0
vtrl_wine 60 "$lc" list --json >"$out/admin.json" 2>"$out/stderr" || rc=$?
assert_eq 0 "$rc" "exit code of list --json ($(cat "$out/stderr"))"

python3 - "$out/admin.json" <<'PY' || fail "the administrator's inventory (see the log)"
import json, sys

records = [r for r in json.load(open(sys.argv[1], encoding="utf-8"))
           if r["EntryName"].startswith("Vtrl View")]
native = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
wow = "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\"
expected = [
    ("Vtrl View Run", native + "Run", "helper64.exe", "/native"),
    ("Vtrl View Run", wow + "Run", "helper32.exe", "/Run"),
    ("Vtrl View RunOnce", wow + "RunOnce", "helper32.exe", "/RunOnce"),
    ("Vtrl View RunOnceEx", wow + "RunOnceEx", "helper32.exe", "/RunOnceEx"),
]
actual = [(r["EntryName"], r["Location"], r["ExeName"], r["Arguments"]) for r in records]
if actual != expected:
    print("expected", expected)
    print("got     ", actual)
    sys.exit(1)
PY

# The machine's keys of either view are an administrator's only.
run_as_standard_user "$lc" list --json >"$out/standard.json" || true
if grep -q 'Vtrl View' "$out/standard.json"; then
    fail "a standard user sees the machine's entries: $(cat "$out/standard.json")"
fi
