#!/usr/bin/env bash
# The helpers of lib.sh that other cases build on: registry values of every type survive a
# round trip exactly (reg query alone would lose what the OEM code page cannot show), names
# compare as Windows compares them, and paths convert both ways.
set -euo pipefail
# shellcheck source=tests/wine/lib.sh
source "$(dirname "$0")/../lib.sh"

# "\t" and "\n" in a key name must stay a backslash and a letter.
key='HKCU\Software\Vantorel Harness\txt\nValues'

reg_missing "$key"
reg_set "$key" Text REG_SZ 'dätä → ✓ "quoted" back\slash'
reg_set "$key" 'Näme  with spaces' REG_SZ 'two  spaces'
reg_set "$key" '' REG_SZ 'the default'
reg_set "$key" Count REG_DWORD 4294967295
reg_set "$key" Big REG_QWORD 0x100000002
reg_set "$key" Bytes REG_BINARY 00ff10
reg_set "$key" Path REG_EXPAND_SZ '%APPDATA%\Vantorel'
reg_set "$key" List REG_MULTI_SZ 'first\0zweite Zeile\0dritte'
reg_set "$key" Empty REG_SZ ''
long=$(printf 'C:\\Program Files\\A rather long folder name %02d' $(seq 1 12))
reg_set "$key" Long REG_EXPAND_SZ "$long"

assert_eq 'dätä → ✓ "quoted" back\slash' "$(reg_get "$key" Text)" "REG_SZ"
assert_eq 'two  spaces' "$(reg_get "$key" 'NÄME  WITH SPACES')" "value names ignore case"
assert_eq 'the default' "$(reg_get "$key" '')" "default value"
assert_eq 4294967295 "$(reg_get "$key" count)" "REG_DWORD"
assert_eq 4294967298 "$(reg_get "$key" Big)" "REG_QWORD"
assert_eq 00ff10 "$(reg_get "$key" Bytes)" "REG_BINARY"
assert_eq '%APPDATA%\Vantorel' "$(reg_get "$key" Path)" "REG_EXPAND_SZ, unexpanded"
assert_eq 'first\0zweite Zeile\0dritte' "$(reg_get "$key" List)" "REG_MULTI_SZ"
# Taken apart: a failing reg_get inside the assertion's argument would read as empty too.
empty=$(reg_get "$key" Empty) || fail "reg_get failed on an empty REG_SZ"
assert_eq '' "$empty" "empty REG_SZ"
assert_eq "$long" "$(reg_get "$key" Long)" "data longer than one line of the export"
assert_eq 'the default' "$(reg_get "HKEY_CURRENT_USER${key#HKCU}" '')" \
    "full hive name"

# A value of a subkey is not a value of its parent.
reg_set "$key\\Sub" Inner REG_SZ inner
if reg_get "$key" Inner 2>/dev/null; then
    fail "reg_get found a subkey's value in its parent"
fi

# Missing values and keys; deleting is idempotent.
if reg_get "$key" Absent 2>/dev/null; then
    fail "reg_get succeeded on a missing value"
fi
if reg_get 'HKCU\Software\Vantorel Harness\No Such Key' Text 2>/dev/null; then
    fail "reg_get succeeded on a missing key"
fi
reg_missing "$key" Absent
if reg_missing "$key" Text 2>/dev/null; then
    fail "reg_missing says an existing value is missing"
fi
# Empty is not missing, for reg_missing as for reg_get.
if reg_missing "$key" Empty 2>/dev/null; then
    fail "reg_missing says an empty value is missing"
fi
if reg_missing "$key" '' 2>/dev/null; then
    fail "reg_missing says a set default value is missing"
fi
# Only reg.exe's own "not found" means missing: a query that gives no answer (here a timeout)
# ends the case instead of reading as missing.
rc=0
(
    vtrl_wine() { return 124; }
    reg_missing "$key" Absent
) 2>/dev/null || rc=$?
assert_eq 1 "$rc" "reg_missing after a timeout"
rc=0
(
    vtrl_wine() { echo 'reg: Access is denied' >&2; return 1; }
    reg_delete "$key" Text
) 2>/dev/null || rc=$?
assert_eq 1 "$rc" "reg_delete after another error"
reg_get "$key" Text >/dev/null || fail "reg_delete deleted a value it could not query"
reg_delete "$key" Text
reg_missing "$key" Text
reg_delete "$key" Text
reg_delete 'HKCU\Software\Vantorel Harness'
reg_missing 'HKCU\Software\Vantorel Harness'

# Paths both ways; drive_c is C:.
assert_eq 'C:\vtrltest' "$(win_path "$(drive_c)/vtrltest")" "win_path"
assert_eq "$(drive_c)/vtrltest" "$(unix_path 'C:\vtrltest')" "unix_path"
# Names match without regard to case, as Windows matches them, and agree with Wine's own answer.
appdata=$(win_env APPDATA)
assert_eq "$(realpath -m "$(winepath -u "$appdata" 2>/dev/null | tr -d '\r')")" \
    "$(unix_path "${appdata^^}")" "unix_path of an upper-case path"
assert_eq "$appdata" "$(win_path "$(unix_path "$appdata")")" "win_path back"
assert_eq 'Z:\tmp\a b' "$(win_path '/tmp/a b')" "win_path outside drive C"
rc=0
unix_path 'vtrltest\relative' 2>/dev/null || rc=$?
assert_eq 1 "$rc" "unix_path of a path without a drive"
rc=0
win_env VTRL_NOT_SET_ANYWHERE >/dev/null 2>&1 || rc=$?
assert_eq 1 "$rc" "win_env of an unset variable"
assert_file_exists 'C:\vtrltest\record_browser.exe'
assert_no_file 'C:\vtrltest\no such file'

# vtrl_wine passes the exit code through, and 124 when time runs out.
rc=0
vtrl_wine 30 cmd /c exit 7 || rc=$?
assert_eq 7 "$rc" "exit code"
rc=0
vtrl_wine 1 cmd /c ping -n 5 127.0.0.1 >/dev/null || rc=$?
assert_eq 124 "$rc" "timeout"
# A program Wine could not start at all is tried three times, its error passed on with exit 1;
# a program's own exit code 1 with output on the error stream is the program's, not retried.
rc=0
errors=$(vtrl_wine 30 vtrl_no_such_program.exe 2>&1) || rc=$?
assert_eq 1 "$rc" "exit code of a program that cannot be started"
assert_eq 3 "$(grep -c 'Wine did not start vtrl_no_such_program.exe' <<<"$errors")" \
    "tries to start it: $errors"
grep -q "$VTRL_WINE_NOT_STARTED" <<<"$errors" || fail "Wine's message is passed on: $errors"
rc=0
errors=$(vtrl_wine 30 cmd /c "echo own message 1>&2 & exit 1" 2>&1 >/dev/null) || rc=$?
assert_eq 1 "$rc" "exit code 1 of a program"
assert_eq 'own message' "$(tr -d '\r' <<<"$errors" | sed 's/ *$//')" "its error output, once"
