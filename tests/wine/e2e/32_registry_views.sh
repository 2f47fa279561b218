#!/usr/bin/env bash
# Both registry views through `vantorelc list --json`: a value that a 32-bit installer writes
# (reg.exe /reg:32 opens the key with KEY_WOW64_32KEY) is listed under WOW6432Node, once, beside
# a 64-bit value of the same name; a standard user sees them too, each marked as needing an
# administrator.
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

# The machine's keys of either view are read by everyone and changed by an administrator only.
run_as_standard_user "$lc" list --json >"$out/standard.json" || true
python3 - "$out/standard.json" <<'PY' || fail "the standard user's inventory (see the log)"
import json, sys

records = [r for r in json.load(open(sys.argv[1], encoding="utf-8"))
           if r["EntryName"].startswith("Vtrl View")]
native = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\"
wow = "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\"
actual = {(r["EntryName"], r["Location"]) for r in records}
# Wine's boot of the copied prefix may already have run (and so deleted) the RunOnce value.
required = {("Vtrl View Run", native + "Run"), ("Vtrl View Run", wow + "Run"),
            ("Vtrl View RunOnceEx", wow + "RunOnceEx")}
allowed = required | {("Vtrl View RunOnce", wow + "RunOnce")}
unmarked = [r["Location"] for r in records if r["NeedsAdministrator"] is not True]
if not required <= actual or not actual <= allowed or unmarked:
    print("missing ", sorted(required - actual))
    print("extra   ", sorted(actual - allowed))
    print("unmarked", unmarked)
    sys.exit(1)
PY
